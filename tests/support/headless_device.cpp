#include "support/headless_device.h"

#include "graphics/render_device.h"
#include "platform/platform.h"
#include "ui/main_window.h"

namespace tsuzuri::test {

void HeadlessDeviceTest::startDevice(platform::ScriptedInput input, int windowScale) {
    platform::selectBackend(platform::Backend::Headless);
    platform::setHeadlessInput(std::move(input));
    started_ = true;
    sceneState.render = &render;
    const platform::WindowHandle window = createMainWindow(windowScale);
    ASSERT_NE(window, 0u);
    const Status status = initRenderDevice(render, window, platform::systemClock());
    if (status == E_NO_TEXT_FONT) {
        GTEST_SKIP() << "no Japanese font installed (tools/install-deps.sh installs "
                        "fonts-ipafont-gothic)";
    }
    ASSERT_EQ(status, S_OK);
}

void HeadlessDeviceTest::stopDevice() {
    if (!started_) {
        return;
    }
    started_ = false;
    shutdownRenderDevice(render);
    unregisterMainWindowClass();
    platform::selectBackend(platform::Backend::Sdl);
}

}  // namespace tsuzuri::test
