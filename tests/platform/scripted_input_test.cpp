#include <gtest/gtest.h>

#include "platform/headless.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

using Action = ScriptedEvent::Action;
using When = ScriptedEvent::When;

TEST(ScriptedInputTest, ReadsEveryActionAndSkipsCommentsAndBlankLines) {
    const std::string text =
        "# a comment\r\n"
        "\n"
        "pass 1 down left\n"
        "  pass 2 up right\n"
        "ms 300 tap enter\n"
        "pass 3 move -5 640\n"
        "ms 0 close\n"
        "pass 1 choose /games/my story/script/a.txt  \n"
        "pass 1 choose cancel\n"
        "pass 9 tap ctrl\npass 9 tap space\npass 9 tap escape\n"
        "ms 20 lose-display\n"
        "pass 10 tap down\npass 10 down up\npass 10 up pagedown\n"
        "pass 11 wheel up 3\npass 11 wheel down 1\npass 11 alt-enter\npass 11 resize 1280 800\n";
    ScriptedInput input;
    std::string error;
    ASSERT_TRUE(parseScriptedInput(text, "in.txt", input, error)) << error;
    ASSERT_EQ(input.events.size(), 18u);

    EXPECT_EQ(input.events[0].when, When::Pass);
    EXPECT_EQ(input.events[0].at, 1u);
    EXPECT_EQ(input.events[0].action, Action::Down);
    EXPECT_EQ(input.events[0].key, VK_LBUTTON);
    EXPECT_EQ(input.events[1].action, Action::Up);
    EXPECT_EQ(input.events[1].key, VK_RBUTTON);
    EXPECT_EQ(input.events[2].when, When::Ms);
    EXPECT_EQ(input.events[2].at, 300u);
    EXPECT_EQ(input.events[2].action, Action::Tap);
    EXPECT_EQ(input.events[2].key, VK_RETURN);
    EXPECT_EQ(input.events[3].action, Action::Move);
    EXPECT_EQ(input.events[3].x, -5);
    EXPECT_EQ(input.events[3].y, 640);
    EXPECT_EQ(input.events[4].action, Action::Close);
    EXPECT_EQ(input.events[5].action, Action::Choose);
    EXPECT_EQ(input.events[5].path, "/games/my story/script/a.txt");
    EXPECT_EQ(input.events[6].action, Action::ChooseCancel);
    EXPECT_EQ(input.events[7].key, VK_CONTROL);
    EXPECT_EQ(input.events[8].key, VK_SPACE);
    EXPECT_EQ(input.events[9].key, VK_ESCAPE);
    EXPECT_EQ(input.events[10].action, Action::LoseDisplay);
    // Key names that are also action names: the action comes first, then the key.
    EXPECT_EQ(input.events[11].action, Action::Tap);
    EXPECT_EQ(input.events[11].key, VK_DOWN);
    EXPECT_EQ(input.events[12].action, Action::Down);
    EXPECT_EQ(input.events[12].key, VK_UP);
    EXPECT_EQ(input.events[13].action, Action::Up);
    EXPECT_EQ(input.events[13].key, VK_NEXT);
    EXPECT_EQ(input.events[14].action, Action::Wheel);
    EXPECT_EQ(input.events[14].x, 3);
    EXPECT_EQ(input.events[15].x, -1);
    EXPECT_EQ(input.events[16].action, Action::AltEnter);
    EXPECT_EQ(input.events[17].action, Action::Resize);
    EXPECT_EQ(input.events[17].y, 800);
}

TEST(ScriptedInputTest, MalformedLinesNameTheSourceAndLine) {
    const char* bad[] = {
        "pass 0 tap left",
        "pass x tap left",
        "soon 3 tap left",
        "pass 1 tap",
        "pass 1 tap hyper",
        "pass 1 move 3",
        "pass 1 close now",
        "pass 1 jump",
        "pass 1",
        "ms -1 tap left",
        "pass 1 down left right",
        "pass 1 lose-display 2",
        "pass 1 wheel up",
        "pass 1 wheel sideways 2",
        "pass 1 wheel down 0",
        "pass 1 resize 0 5",
        "pass 1 alt-enter now",
    };
    for (const char* line : bad) {
        ScriptedInput input;
        std::string error;
        EXPECT_FALSE(
            parseScriptedInput(std::string("# ok\n") + line + "\n", "in.txt", input, error))
            << line;
        EXPECT_EQ(error.rfind("in.txt:2: ", 0), 0u) << error;
    }
}

}  // namespace
}  // namespace tsuzuri::platform
