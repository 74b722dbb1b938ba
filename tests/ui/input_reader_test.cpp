// Input read as actions: release edges seen exactly once, short taps latched, held keys, the
// keymap's bindings, and the story's questions as plain functions of the pass's value.
#include "ui/input_reader.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/headless.h"
#include "platform/platform.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

class InputReaderTest : public ::testing::Test {
protected:
    void SetUp() override { platform::selectBackend(platform::Backend::Headless); }
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
        window = createMainWindow();
        ASSERT_NE(window, 0u);
    }

    // One idle pass: gather events (keeping the presses they announce), then sample.
    StoryInput pass() {
        platform::Message message;
        while (platform::peekMessage(message)) {
            for (const ActionPress& press : reader.pressesOf(message)) {
                presses.push_back(press.action);
            }
        }
        return storyInputOf(reader.sample(window));
    }

    platform::WindowHandle window = 0;
    InputReader reader;
    std::vector<Action> presses;
};

TEST_F(InputReaderTest, HeldPressCountsOnceOnRelease) {
    start("pass 1 down enter\npass 3 up enter\n");
    EXPECT_FALSE(isAdvanceReleased(pass())) << "presses are never reported";
    EXPECT_FALSE(isAdvanceReleased(pass()));
    EXPECT_TRUE(isAdvanceReleased(pass()));
    EXPECT_FALSE(isAdvanceReleased(pass()));
    EXPECT_EQ(presses, std::vector<Action>{Action::Advance}) << "the key's message, once";
}

TEST_F(InputReaderTest, TapBetweenTwoPassesIsLatchedIntoOneRelease) {
    start("pass 2 tap left\npass 4 tap space\npass 5 tap right\n");
    pass();
    const StoryInput click = pass();
    EXPECT_TRUE(isAdvanceReleased(click));
    EXPECT_TRUE(isClickReleased(click));
    EXPECT_FALSE(isToggleReleased(click));
    EXPECT_FALSE(isAdvanceReleased(pass()));
    EXPECT_TRUE(isToggleReleased(pass()));
    EXPECT_TRUE(isToggleReleased(pass()));
    EXPECT_FALSE(isToggleReleased(pass()));
}

TEST_F(InputReaderTest, PressesMadeBeforeSamplingStartsAreForgotten) {
    start("pass 1 tap left\n");
    platform::Message message;
    EXPECT_FALSE(platform::peekMessage(message));
    reader.discardPresses();  // a guarded pass
    EXPECT_FALSE(isAdvanceReleased(pass()));
}

TEST_F(InputReaderTest, SkipCountsWhileHeldAndEnterIsNoClick) {
    start("pass 1 down ctrl\npass 3 up ctrl\npass 4 tap ctrl\npass 5 tap enter\n");
    EXPECT_TRUE(isSkipKeyDown(pass()));
    EXPECT_TRUE(isSkipKeyDown(pass()));
    EXPECT_FALSE(isSkipKeyDown(pass()));
    EXPECT_FALSE(isSkipKeyDown(pass())) << "a tap of Ctrl is never held";
    const StoryInput enter = pass();
    EXPECT_TRUE(isAdvanceReleased(enter));
    EXPECT_FALSE(isClickReleased(enter)) << "Enter picks the keys' row, not the pointer's";
}

TEST_F(InputReaderTest, GamepadButtonsGiveTheSameActionsAsTheirKeys) {
    start("pass 1 tap pad-a\npass 2 tap pad-b\npass 3 down pad-rt\npass 4 tap pad-down\n");
    EXPECT_TRUE(isAdvanceReleased(pass()));
    EXPECT_TRUE(isToggleReleased(pass()));
    EXPECT_TRUE(isSkipKeyDown(pass()));
    EXPECT_TRUE(isDownReleased(pass()));
}

TEST_F(InputReaderTest, HitTestIncludesAllFourBordersOfThePassPointer) {
    start("pass 1 move 800 506\npass 2 move -3 700\n");
    const StoryInput first = pass();
    const Rect row0{0, 480, 800, 506};
    const Rect row1{0, 506, 800, 532};
    const Rect below{0, 507, 800, 533};
    EXPECT_TRUE(isCursorInRect(first, &row0));
    EXPECT_TRUE(isCursorInRect(first, &row1));
    EXPECT_FALSE(isCursorInRect(first, &below));
    EXPECT_FALSE(isCursorInRect(first, nullptr));
    const StoryInput second = pass();
    EXPECT_FALSE(isCursorInRect(second, &row0));
    const Rect outside{-10, 600, -3, 700};
    EXPECT_TRUE(isCursorInRect(second, &outside));
}

TEST_F(InputReaderTest, WheelNotchesArriveWithTheirPass) {
    start("pass 1 wheel up 2\npass 2 wheel down 1\n");
    platform::Message message;
    while (platform::peekMessage(message)) {
    }
    EXPECT_EQ(reader.sample(window).wheelNotches, 2);
    while (platform::peekMessage(message)) {
    }
    EXPECT_EQ(reader.sample(window).wheelNotches, -1);
}

TEST(KeymapTest, EveryActionHasAKeyAndAKeyMayGiveSeveral) {
    std::set<Action> bound;
    for (const KeyBinding& binding : defaultKeymap()) {
        bound.insert(binding.action);
    }
    EXPECT_EQ(bound.size(), kActionCount);
    const InputReader reader;
    const auto actionsOf = [&](int key) {
        std::vector<Action> actions;
        for (const ActionPress& press :
             reader.pressesOf({platform::MessageKind::KeyDown, 1, key, true})) {
            EXPECT_TRUE(press.repeat);
            actions.push_back(press.action);
        }
        return actions;
    };
    EXPECT_EQ(actionsOf(platform::VK_LBUTTON), (std::vector{Action::Advance, Action::Click}));
    EXPECT_EQ(actionsOf(platform::VK_ESCAPE), std::vector{Action::Quit});
    EXPECT_EQ(actionsOf(platform::VK_PAD_START), std::vector{Action::SystemMenu});
    EXPECT_EQ(actionsOf(platform::VK_PAD_X), (std::vector{Action::AutoMode, Action::Rewind}));
    EXPECT_TRUE(reader.pressesOf({platform::MessageKind::Close, 1, platform::VK_ESCAPE}).empty());
}

TEST(ActionInputTest, AnAddedClickIsReleasedAndNoLongerHeld) {
    ActionInput input;
    input.held.set(static_cast<std::size_t>(Action::Click));
    addClick(input);
    const StoryInput story = storyInputOf(input);
    EXPECT_TRUE(isAdvanceReleased(story));
    EXPECT_TRUE(isClickReleased(story));
    EXPECT_FALSE(input.isHeld(Action::Click));
}

}  // namespace
}  // namespace tsuzuri
