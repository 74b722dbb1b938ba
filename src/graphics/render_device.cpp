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
#include "platform/platform.h"

namespace tsuzuri {

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

}  // namespace

// What the device keeps between frames.
struct FrameCache {
    std::optional<FrameInputs> lastPresented;
    ScaledPicture scaledScene;
    ScaledPicture scaledWindow;
};

RenderState::RenderState() : cache(std::make_unique<FrameCache>()) {}
RenderState::~RenderState() = default;

namespace {

bool isPlainSize(const RenderState& render) {
    return render.outputWidth == kScreenWidth && render.outputHeight == kScreenHeight;
}

// floor(n / 2) for negative n too.
int halfFloor(int n) {
    return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

// Makes `cached` hold `picture` as it shows in the output: centred in 800x600 as at the plain
// size, cut to the part inside the frame, its edges on the output pixels the frame's edges
// map to. False when nothing of it shows or it cannot be scaled.
bool scaleForOutput(const RenderState& render, const Texture& picture, ScaledPicture& cached) {
    const int outW = render.outputWidth;
    const int outH = render.outputHeight;
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
void blendPicture(const RenderState& render, const FrameView& frame, const Texture& picture,
                  ScaledPicture& cached) {
    if (isPlainSize(render)) {
        blendTextureCentred(frame, picture);
    } else if (scaleForOutput(render, picture, cached)) {
        blendTextureAt(frame, *cached.texture, cached.x, cached.y);
    }
}

FrameInputs currentFrameInputs(const RenderState& render, const FrameScene& scene,
                               const CornerTexts& corners) {
    return FrameInputs{render.sceneTexture.get(),
                       render.windowTexture.get(),
                       render.textTexture.get(),
                       textureEditCount(),
                       scene.windowShown,
                       scene.choiceHover,
                       scene.hoverRow,
                       render.flashActive,
                       render.flashLevel,
                       corners};
}

FrameView frameView(RenderState& render) {
    return FrameView{render.frame.data(), render.outputWidth, render.outputHeight,
                     render.outputWidth};
}

// The frame size for the window's drawable area now; the current size when it cannot be asked.
FramePlacement wantedOutput(const RenderState& render) {
    int width = 0;
    int height = 0;
    if (!platform::getDrawableSize(render.window, width, height) || width <= 0 || height <= 0) {
        return FramePlacement{0, 0, render.outputWidth, render.outputHeight};
    }
    return fitFrame(width, height);
}

}  // namespace

bool fitOutputToWindow(RenderState& render) {
    const int width = render.outputWidth;
    const int height = render.outputHeight;
    const FramePlacement output = wantedOutput(render);
    // Should memory run out for the new size, the old one is shown, centred as well as it fits.
    setOutputSize(render, output.width, output.height);
    return width != render.outputWidth || height != render.outputHeight;
}

bool setOutputSize(RenderState& render, int width, int height) {
    if (width == render.outputWidth && height == render.outputHeight && !render.frame.empty()) {
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
    render.frame = std::move(frame);
    render.textTexture = std::move(text);
    render.outputWidth = width;
    render.outputHeight = height;
    setTextFontScale(std::min(static_cast<double>(width) / kScreenWidth,
                              static_cast<double>(height) / kScreenHeight));
    redrawTextLayer(render);
    *render.cache = FrameCache{};
    return true;
}

Status initRenderDevice(RenderState& render, platform::WindowHandle window, const Clock& clock) {
    if (window == 0) {
        return E_FAIL;
    }
    shutdownRenderDevice(render);
    render.window = window;
    render.clock = &clock;
    render.startedAtMs = clock.nowMs();
    // The layer starts empty: the window is shown before the first page is drawn.
    const FramePlacement output = wantedOutput(render);
    if (!setOutputSize(render, output.width, output.height)) {
        shutdownRenderDevice(render);
        return E_FAIL;
    }
    // A story without text is no story: refuse to start rather than show blank pages.
    std::string fontError;
    if (!openTextFont(fontError)) {
        std::fprintf(stderr, "tsuzuri: %s\n", fontError.c_str());
        shutdownRenderDevice(render);
        return E_NO_TEXT_FONT;
    }
    return S_OK;
}

Status shutdownRenderDevice(RenderState& render) {
    closeTextFont();
    render.sceneTexture.reset();
    render.textTexture.reset();
    render.windowTexture.reset();
    render.frame.clear();
    render.frame.shrink_to_fit();
    render.outputWidth = kScreenWidth;
    render.outputHeight = kScreenHeight;
    setTextFontScale(1.0);
    clearTextLayer(render);
    render.deviceLost = 0;
    render.flashActive = 0;
    render.flashLevel = 0;
    render.scenePath = GamePath{};
    *render.cache = FrameCache{};
    return S_OK;
}

void composeFrame(RenderState& render, const FrameScene& scene, const CornerTexts& corners) {
    const FrameView frame = frameView(render);
    clearFrame(frame, kClearColor);
    if (render.sceneTexture) {
        blendPicture(render, frame, *render.sceneTexture, render.cache->scaledScene);
    }
    if (scene.windowShown != 0) {
        if (render.windowTexture) {
            blendPicture(render, frame, *render.windowTexture, render.cache->scaledWindow);
        }
        if (render.textTexture) {
            blendTextureCentred(frame, *render.textTexture);  // drawn at the output size
        }
        if (scene.choiceHover != 0) {
            const int top = kBandTop + kLineStep * scene.hoverRow;
            invertBand(frame, 0, frameToOutput(top, frame.height, kScreenHeight), frame.width,
                       frameToOutput(top + kBandHeight, frame.height, kScreenHeight));
        }
    }
    if (render.flashActive != 0) {
        addFlash(frame, render.flashLevel);
    }
    drawCornerTexts(frame, corners);
}

std::int32_t renderFrame(RenderState& render, const FrameScene& scene, const CornerTexts& corners) {
    if (render.frame.empty()) {
        return 0;
    }
    const bool redrawRequested = platform::takeRedrawRequest(render.window);
    fitOutputToWindow(render);
    const FrameInputs inputs = currentFrameInputs(render, scene, corners);
    std::optional<FrameInputs>& lastPresented = render.cache->lastPresented;
    if (redrawRequested || !lastPresented || *lastPresented != inputs) {
        composeFrame(render, scene, corners);
        if (!presentComposedFrame(render)) {
            lastPresented.reset();
            return 0;
        }
        lastPresented = inputs;
    }
    return 1;
}

bool presentComposedFrame(RenderState& render) {
    render.presentedAtMs =
        render.clock != nullptr ? render.clock->nowMs() : platform::timeGetTime();
    if (!platform::presentFrame(render.window, render.frame.data(), render.outputWidth,
                                render.outputHeight, render.outputWidth * 4)) {
        return false;
    }
    ++render.framesPresented;
    return true;
}

Status showScenePicture(RenderState& render, const GamePath& path) {
    TextureSlot fresh;
    if (failed(loadMaskedTexture(path, fresh))) {
        return E_FAIL;
    }
    render.sceneTexture = std::move(fresh);
    render.scenePath = path;
    return S_OK;
}

bool loadWindowPicture(RenderState& render, const std::filesystem::path& gameFolder) {
    const GamePath path{gameFolder, "cg\\playwindow.bmp"};
    return !failed(loadMaskedTexture(path, render.windowTexture));
}

std::int32_t stepFlash(RenderState& render) {
    if (render.flashActive == 0) {
        render.flashLevel = kFlashStart;
        render.flashActive = 1;
        return 1;
    }
    if (render.flashLevel < kFlashStep) {
        render.flashLevel = 0;
        render.flashActive = 0;
        return 0;
    }
    render.flashLevel = static_cast<std::uint8_t>(render.flashLevel - kFlashStep);
    return 1;
}

}  // namespace tsuzuri
