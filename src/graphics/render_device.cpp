#include "graphics/render_device.h"

#include <cstdio>
#include <optional>
#include <string>

#include "graphics/compositor.h"
#include "graphics/text_font.h"
#include "graphics/texture_loader.h"
#include "platform/input.h"
#include "platform/main_window.h"
#include "platform/platform.h"

namespace tsuzuri {

RenderState renderState;

namespace {

// Pause after each presented frame, so that waiting for the reader does not spin a core.
constexpr std::uint32_t kFramePauseMs = 10;
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

    bool operator==(const FrameInputs&) const = default;
};

std::optional<FrameInputs> lastPresented;

FrameInputs currentFrameInputs(const FrameScene& scene) {
    return FrameInputs{renderState.sceneTexture.get(),
                       renderState.windowTexture.get(),
                       renderState.textTexture.get(),
                       textureEditCount(),
                       scene.windowShown,
                       scene.choiceHover,
                       scene.hoverRow,
                       renderState.flashActive,
                       renderState.flashLevel};
}

FrameView frameView() {
    return FrameView{renderState.frame.data(), kScreenWidth, kScreenHeight, kScreenWidth};
}

}  // namespace

Status initRenderDevice() {
    if (mainWindow == 0) {
        return E_FAIL;
    }
    shutdownRenderDevice();
    renderState.frame.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight, kClearColor);
    // The layer starts empty: the window is shown before the first page is drawn.
    renderState.textTexture = createTexture(kScreenWidth, kScreenHeight);
    if (!renderState.textTexture) {
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
    renderState.deviceLost = 0;
    renderState.flashActive = 0;
    renderState.flashLevel = 0;
    renderState.scenePath = GamePath{};
    lastPresented.reset();
    return S_OK;
}

void composeFrame(const FrameScene& scene) {
    const FrameView frame = frameView();
    clearFrame(frame, kClearColor);
    if (renderState.sceneTexture) {
        blendTextureCentred(frame, *renderState.sceneTexture);
    }
    if (scene.windowShown != 0) {
        if (renderState.windowTexture) {
            blendTextureCentred(frame, *renderState.windowTexture);
        }
        if (renderState.textTexture) {
            blendTextureCentred(frame, *renderState.textTexture);
        }
        if (scene.choiceHover != 0) {
            const int top = kBandTop + kLineStep * scene.hoverRow;
            invertBand(frame, 0, top, kScreenWidth, top + kBandHeight);
        }
    }
    if (renderState.flashActive != 0) {
        addFlash(frame, renderState.flashLevel);
    }
}

std::int32_t renderFrame(const FrameScene& scene) {
    if (renderState.frame.empty()) {
        return 0;
    }
    const FrameInputs inputs = currentFrameInputs(scene);
    const bool redrawRequested = platform::takeRedrawRequest(mainWindow);
    if (redrawRequested || !lastPresented || *lastPresented != inputs) {
        composeFrame(scene);
        renderState.presentedAtMs = platform::timeGetTime();
        if (!platform::presentFrame(mainWindow, renderState.frame.data(), kScreenWidth,
                                    kScreenHeight, kScreenWidth * 4)) {
            lastPresented.reset();
            return 0;
        }
        lastPresented = inputs;
        ++renderState.framesPresented;
    }
    if (!isAdvanceReleased() && !isSkipKeyDown()) {
        platform::sleepMs(kFramePauseMs);
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
