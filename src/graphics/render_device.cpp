#include "graphics/render_device.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

#include "graphics/compositor.h"
#include "graphics/corner_note.h"
#include "graphics/resample.h"
#include "graphics/text_font.h"
#include "graphics/text_layer.h"
#include "graphics/texture_loader.h"
#include "platform/main_window.h"
#include "platform/platform.h"

namespace tsuzuri {

RenderState renderState;

namespace {

// The choice highlight: a band 30 pixels high from 478 + 30 * row.
constexpr int kBandTop = 478;
constexpr int kBandHeight = 30;
constexpr int kLineStep = 30;
constexpr std::uint8_t kFlashStart = 255;
constexpr std::uint8_t kFlashStep = 10;

// Everything a frame is composed from. While it stays the same, the presented frame is still
// correct and neither composing nor presenting is repeated: a page that waits for the reader
// then costs next to nothing.
struct FrameInputs {
    const Texture* scene = nullptr;
    const Texture* window = nullptr;
    const Texture* text = nullptr;
    std::uint64_t textureEdits = 0;
    std::int32_t windowShown = 0;
    std::int32_t choiceHover = 0;
    std::int32_t hoverRow = 0;
    std::int32_t flashActive = 0;
    std::uint8_t flashLevel = 0;
    CornerTexts corners;

    bool operator==(const FrameInputs&) const = default;
};

std::optional<FrameInputs> lastPresented;

// A picture scaled to the output, kept while its source, the source's version and the output
// size are the ones it was made for: scaling happens once per picture and size, not per frame.
struct ScaledPicture {
    const Texture* source = nullptr;
    std::uint64_t version = 0;
    int outputWidth = 0;
    int outputHeight = 0;
    TextureSlot texture;
    int x = 0;  // where it goes in the output
    int y = 0;
};

ScaledPicture scaledScene;
ScaledPicture scaledWindow;

bool isPlainSize() {
    return renderState.outputWidth == kScreenWidth && renderState.outputHeight == kScreenHeight;
}

// floor(n / 2) for negative n too.
int halfFloor(int n) {
    return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

// Makes `cached` hold `picture` as it shows in the output: centred in 800x600 as at the plain
// size, cut to the part inside the frame, its edges on the output pixels the frame's edges
// map to. False when nothing of it shows or it cannot be scaled.
bool scaleForOutput(const Texture& picture, ScaledPicture& cached) {
    const int outW = renderState.outputWidth;
    const int outH = renderState.outputHeight;
    if (cached.texture && cached.source == &picture && cached.version == picture.version &&
        cached.outputWidth == outW && cached.outputHeight == outH) {
        return true;
    }
    cached = ScaledPicture{};
    const int w = static_cast<int>(picture.width);
    const int h = static_cast<int>(picture.height);
    const int left = halfFloor(kScreenWidth - w);
    const int top = halfFloor(kScreenHeight - h);
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(left + w, kScreenWidth);
    const int y1 = std::min(top + h, kScreenHeight);
    if (x1 <= x0 || y1 <= y0) {
        return false;
    }
    const int outX0 = frameToOutput(x0, outW, kScreenWidth);
    const int outY0 = frameToOutput(y0, outH, kScreenHeight);
    const int outX1 = frameToOutput(x1, outW, kScreenWidth);
    const int outY1 = frameToOutput(y1, outH, kScreenHeight);
    if (outX1 <= outX0 || outY1 <= outY0) {
        return false;
    }
    const PictureRegion region{
        static_cast<std::uint32_t>(x0 - left), static_cast<std::uint32_t>(y0 - top),
        static_cast<std::uint32_t>(x1 - x0), static_cast<std::uint32_t>(y1 - y0)};
    cached.texture = scalePicture(picture, region, static_cast<std::uint32_t>(outX1 - outX0),
                                  static_cast<std::uint32_t>(outY1 - outY0));
    if (!cached.texture) {
        return false;
    }
    cached.source = &picture;
    cached.version = picture.version;
    cached.outputWidth = outW;
    cached.outputHeight = outH;
    cached.x = outX0;
    cached.y = outY0;
    return true;
}

// Draws a picture centred, at the plain size as it is and otherwise scaled to the output.
void blendPicture(const FrameView& frame, const Texture& picture, ScaledPicture& cached) {
    if (isPlainSize()) {
        blendTextureCentred(frame, picture);
    } else if (scaleForOutput(picture, cached)) {
        blendTextureAt(frame, *cached.texture, cached.x, cached.y);
    }
}

FrameInputs currentFrameInputs(const FrameScene& scene, const CornerTexts& corners) {
    return FrameInputs{renderState.sceneTexture.get(),
                       renderState.windowTexture.get(),
                       renderState.textTexture.get(),
                       textureEditCount(),
                       scene.windowShown,
                       scene.choiceHover,
                       scene.hoverRow,
                       renderState.flashActive,
                       renderState.flashLevel,
                       corners};
}

FrameView frameView() {
    return FrameView{renderState.frame.data(), renderState.outputWidth, renderState.outputHeight,
                     renderState.outputWidth};
}

// The frame size for the window's drawable area now; the current size when it cannot be asked.
FramePlacement wantedOutput() {
    int width = 0;
    int height = 0;
    if (!platform::getDrawableSize(mainWindow, width, height) || width <= 0 || height <= 0) {
        return FramePlacement{0, 0, renderState.outputWidth, renderState.outputHeight};
    }
    return fitFrame(width, height);
}

}  // namespace

bool fitOutputToWindow() {
    const int width = renderState.outputWidth;
    const int height = renderState.outputHeight;
    const FramePlacement output = wantedOutput();
    // Should memory run out for the new size, the old one is shown, centred as well as it fits.
    setOutputSize(output.width, output.height);
    return width != renderState.outputWidth || height != renderState.outputHeight;
}

bool setOutputSize(int width, int height) {
    if (width == renderState.outputWidth && height == renderState.outputHeight &&
        !renderState.frame.empty()) {
        return true;
    }
    std::vector<std::uint32_t> frame;
    try {
        frame.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kClearColor);
    } catch (const std::bad_alloc&) {
        return false;
    }
    TextureSlot text =
        createTexture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    if (!text) {
        return false;
    }
    renderState.frame = std::move(frame);
    renderState.textTexture = std::move(text);
    renderState.outputWidth = width;
    renderState.outputHeight = height;
    setTextFontScale(std::min(static_cast<double>(width) / kScreenWidth,
                              static_cast<double>(height) / kScreenHeight));
    redrawTextLayer();
    scaledScene = ScaledPicture{};
    scaledWindow = ScaledPicture{};
    lastPresented.reset();
    return true;
}

Status initRenderDevice(const Clock& clock) {
    if (mainWindow == 0) {
        return E_FAIL;
    }
    shutdownRenderDevice();
    renderState.clock = &clock;
    // The layer starts empty: the window is shown before the first page is drawn.
    const FramePlacement output = wantedOutput();
    if (!setOutputSize(output.width, output.height)) {
        shutdownRenderDevice();
        return E_FAIL;
    }
    // A story without text is no story: refuse to start rather than show blank pages.
    std::string fontError;
    if (!openTextFont(fontError)) {
        std::fprintf(stderr, "tsuzuri: %s\n", fontError.c_str());
        shutdownRenderDevice();
        return E_NO_TEXT_FONT;
    }
    return S_OK;
}

Status shutdownRenderDevice() {
    closeTextFont();
    renderState.sceneTexture.reset();
    renderState.textTexture.reset();
    renderState.windowTexture.reset();
    renderState.frame.clear();
    renderState.frame.shrink_to_fit();
    renderState.outputWidth = kScreenWidth;
    renderState.outputHeight = kScreenHeight;
    setTextFontScale(1.0);
    clearTextLayer();
    scaledScene = ScaledPicture{};
    scaledWindow = ScaledPicture{};
    renderState.deviceLost = 0;
    renderState.flashActive = 0;
    renderState.flashLevel = 0;
    renderState.scenePath = GamePath{};
    lastPresented.reset();
    return S_OK;
}

void composeFrame(const FrameScene& scene, const CornerTexts& corners) {
    const FrameView frame = frameView();
    clearFrame(frame, kClearColor);
    if (renderState.sceneTexture) {
        blendPicture(frame, *renderState.sceneTexture, scaledScene);
    }
    if (scene.windowShown != 0) {
        if (renderState.windowTexture) {
            blendPicture(frame, *renderState.windowTexture, scaledWindow);
        }
        if (renderState.textTexture) {
            blendTextureCentred(frame, *renderState.textTexture);  // drawn at the output size
        }
        if (scene.choiceHover != 0) {
            const int top = kBandTop + kLineStep * scene.hoverRow;
            invertBand(frame, 0, frameToOutput(top, frame.height, kScreenHeight), frame.width,
                       frameToOutput(top + kBandHeight, frame.height, kScreenHeight));
        }
    }
    if (renderState.flashActive != 0) {
        addFlash(frame, renderState.flashLevel);
    }
    drawCornerTexts(frame, corners);
}

std::int32_t renderFrame(const FrameScene& scene, const CornerTexts& corners) {
    if (renderState.frame.empty()) {
        return 0;
    }
    const bool redrawRequested = platform::takeRedrawRequest(mainWindow);
    fitOutputToWindow();
    const FrameInputs inputs = currentFrameInputs(scene, corners);
    if (redrawRequested || !lastPresented || *lastPresented != inputs) {
        composeFrame(scene, corners);
        renderState.presentedAtMs =
            renderState.clock != nullptr ? renderState.clock->nowMs() : platform::timeGetTime();
        if (!platform::presentFrame(mainWindow, renderState.frame.data(), renderState.outputWidth,
                                    renderState.outputHeight, renderState.outputWidth * 4)) {
            lastPresented.reset();
            return 0;
        }
        lastPresented = inputs;
        ++renderState.framesPresented;
    }
    return 1;
}

Status showScenePicture(const GamePath& path) {
    TextureSlot fresh;
    if (failed(loadMaskedTexture(path, fresh))) {
        return E_FAIL;
    }
    renderState.sceneTexture = std::move(fresh);
    renderState.scenePath = path;
    return S_OK;
}

bool loadWindowPicture(const std::filesystem::path& gameFolder) {
    const GamePath path{gameFolder, "cg\\playwindow.bmp"};
    return !failed(loadMaskedTexture(path, renderState.windowTexture));
}

std::int32_t stepFlash() {
    if (renderState.flashActive == 0) {
        renderState.flashLevel = kFlashStart;
        renderState.flashActive = 1;
        return 1;
    }
    if (renderState.flashLevel < kFlashStep) {
        renderState.flashLevel = 0;
        renderState.flashActive = 0;
        return 0;
    }
    renderState.flashLevel = static_cast<std::uint8_t>(renderState.flashLevel - kFlashStep);
    return 1;
}

}  // namespace tsuzuri
