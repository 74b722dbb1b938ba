// A fixture for tests of what the frame shows: a headless window (with scripted input) and the
// render device with the text font, taken down again after each test. Tests skip when no
// Japanese font is installed.
#pragma once

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "script_engine/scene_state.h"

namespace tsuzuri::test {

class HeadlessDeviceTest : public ::testing::Test {
protected:
    // Opens the window (`windowScale` times 800x600, 0 for the plain one) and the device.
    void startDevice(platform::ScriptedInput input = {}, int windowScale = 0);
    // Takes them down; harmless when not started.
    void stopDevice();
    void TearDown() override { stopDevice(); }

    // The test's own frame, and story record for the frame to show (drawing into it).
    RenderState render;
    SceneState sceneState;

private:
    bool started_ = false;
};

}  // namespace tsuzuri::test
