// Frames are a plain clear colour until the layers are built.
#include "graphics/render_device.h"

#include <algorithm>

#include "platform/platform.h"
#include "shell/input.h"
#include "shell/main_window.h"

namespace tsuzuri {

RenderState renderState;

namespace {

// Pause after each presented frame, so that waiting for the reader does not spin a core.
constexpr std::uint32_t kFramePauseMs = 10;

}  // namespace

Status initRenderDevice() {
    if (mainWindow == 0) {
        return E_FAIL;
    }
    renderState = RenderState{};
    renderState.frame.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight, kClearColor);
    return S_OK;
}

Status shutdownRenderDevice() {
    renderState = RenderState{};
    return S_OK;
}

std::int32_t renderFrame() {
    if (renderState.frame.empty()) {
        return 0;
    }
    std::fill(renderState.frame.begin(), renderState.frame.end(), kClearColor);
    if (!platform::presentFrame(mainWindow, renderState.frame.data(), kScreenWidth, kScreenHeight,
                                kScreenWidth * 4)) {
        return 0;
    }
    if (!isAdvanceReleased() && !isSkipKeyDown()) {
        platform::sleepMs(kFramePauseMs);
    }
    return 1;
}

bool loadWindowPicture() {
    return false;
}

}  // namespace tsuzuri
