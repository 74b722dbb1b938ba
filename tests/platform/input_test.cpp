// The input questions over sampled key state: release edges seen exactly once, short taps
// latched, Ctrl held, and the inclusive hit test on the live cursor.
#include "platform/input.h"

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/main_window.h"

namespace tsuzuri {
namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        resetKeyboardState();
    }
    void TearDown() override {
        unregisterMainWindowClass();
        platform::selectBackend(platform::Backend::Sdl);
    }

    // Starts a window fed by the input script; pass N events arrive with the Nth sample.
    void start(const std::string& script) {
        platform::ScriptedInput input;
        std::string error;
        ASSERT_TRUE(platform::parseScriptedInput(script, "test", input, error)) << error;
        platform::setHeadlessInput(input);
        ASSERT_TRUE(createMainWindow());
    }

    // One idle pass's worth of input: gather events, then sample.
    void pass() {
        platform::Message message;
        while (platform::peekMessage(message)) {
        }
        sampleKeyboard();
    }
};

TEST_F(InputTest, HeldPressCountsOnceOnRelease) {
    start("pass 1 down enter\npass 3 up enter\n");
    pass();
    EXPECT_FALSE(isAdvanceReleased()) << "presses are never reported";
    pass();
    EXPECT_FALSE(isAdvanceReleased());
    pass();
    EXPECT_TRUE(isAdvanceReleased());
    EXPECT_TRUE(isAdvanceReleased()) << "every question on one pass gets the same answer";
    pass();
    EXPECT_FALSE(isAdvanceReleased());
}

TEST_F(InputTest, TapBetweenTwoPassesIsLatchedIntoOneRelease) {
    start("pass 2 tap left\npass 4 tap space\npass 5 tap right\n");
    pass();
    pass();
    EXPECT_TRUE(isAdvanceReleased());
    EXPECT_FALSE(isToggleReleased());
    pass();
    EXPECT_FALSE(isAdvanceReleased());
    pass();
    EXPECT_TRUE(isToggleReleased());
    pass();
    EXPECT_TRUE(isToggleReleased());
    pass();
    EXPECT_FALSE(isToggleReleased());
}

TEST_F(InputTest, PressesMadeBeforeSamplingStartsAreForgotten) {
    start("pass 1 tap left\n");
    platform::Message message;
    EXPECT_FALSE(platform::peekMessage(message));
    discardKeyboardPresses();  // a guarded pass
    pass();
    EXPECT_FALSE(isAdvanceReleased());
}

TEST_F(InputTest, SkipKeyCountsWhileHeld) {
    start("pass 1 down ctrl\npass 3 up ctrl\npass 4 tap ctrl\n");
    pass();
    EXPECT_TRUE(isSkipKeyDown());
    pass();
    EXPECT_TRUE(isSkipKeyDown());
    pass();
    EXPECT_FALSE(isSkipKeyDown());
    pass();
    EXPECT_FALSE(isSkipKeyDown()) << "a tap of Ctrl is never held";
}

TEST_F(InputTest, HitTestIncludesAllFourBordersAndReadsTheCursorLive) {
    start("pass 1 move 800 506\npass 2 move -3 700\n");
    pass();
    const Rect row0{0, 480, 800, 506};
    const Rect row1{0, 506, 800, 532};
    const Rect below{0, 507, 800, 533};
    EXPECT_TRUE(isCursorInRect(&row0));
    EXPECT_TRUE(isCursorInRect(&row1));
    EXPECT_FALSE(isCursorInRect(&below));
    EXPECT_FALSE(isCursorInRect(nullptr));
    platform::Message message;
    platform::peekMessage(message);  // the cursor moves without a new sample
    EXPECT_FALSE(isCursorInRect(&row0));
    const Rect outside{-10, 600, -3, 700};
    EXPECT_TRUE(isCursorInRect(&outside));
}

}  // namespace
}  // namespace tsuzuri
