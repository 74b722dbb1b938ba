// The frame's place in windows of any size, and the pointer mapped back into 800x600: every
// output pixel belongs to exactly the frame coordinate whose span it was drawn in, and the
// bars lie outside the frame.
#include "platform/frame_geometry.h"

#include <gtest/gtest.h>

#include "platform/headless.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

TEST(FrameGeometryTest, TheLargestFourByThreeFrameIsCentred) {
    EXPECT_EQ(fitFrame(800, 600), (FramePlacement{0, 0, 800, 600}));
    EXPECT_EQ(fitFrame(1600, 1200), (FramePlacement{0, 0, 1600, 1200}));
    EXPECT_EQ(fitFrame(1920, 1080), (FramePlacement{240, 0, 1440, 1080}));  // pillarbox
    EXPECT_EQ(fitFrame(1280, 800), (FramePlacement{106, 0, 1067, 800}));    // 1066.7 rounds up
    EXPECT_EQ(fitFrame(1000, 1000), (FramePlacement{0, 125, 1000, 750}));   // letterbox
    EXPECT_EQ(fitFrame(0, 0).width, 4);
}

TEST(FrameGeometryTest, OutputPixelsMapBackIntoTheSpanTheyWereDrawnIn) {
    for (int out : {800, 537, 1067, 1440, 1600, 2400, 6400}) {
        for (int p = -3; p < out + 3; ++p) {
            const int c = outputToFrame(p, out, kScreenWidth);
            if (p < 0) {
                ASSERT_LT(c, 0) << out << " " << p;
            } else if (p >= out) {
                ASSERT_GE(c, kScreenWidth) << out << " " << p;
            } else {
                ASSERT_LE(frameToOutput(c, out, kScreenWidth), p) << out << " " << p;
                ASSERT_GT(frameToOutput(c + 1, out, kScreenWidth), p) << out << " " << p;
            }
        }
    }
}

TEST(FrameGeometryTest, CursorIsMappedThroughThePresentedFrame) {
    platform::selectBackend(platform::Backend::Headless);
    platform::ScriptedInput input;
    input.events.push_back({platform::ScriptedEvent::When::Pass,
                            1,
                            platform::ScriptedEvent::Action::Move,
                            0,
                            1599,
                            1199,
                            {}});
    input.events.push_back({platform::ScriptedEvent::When::Pass,
                            2,
                            platform::ScriptedEvent::Action::Move,
                            0,
                            239,
                            540,
                            {}});
    platform::setHeadlessInput(std::move(input));
    std::string reason;
    ASSERT_TRUE(platform::initWindowSystem(reason));
    const platform::WindowHandle window = platform::createWindow(1600, 1200, {true, false, false});
    ASSERT_NE(window, 0u);
    platform::Message message;
    platform::peekMessage(message);  // pass 1: the cursor at the bottom right corner
    int x = 0, y = 0;
    ASSERT_TRUE(platform::getCursorFramePos(window, x, y));
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);

    // Fullscreen on the 1920x1080 desktop: the 1440x1080 frame starts at x 240.
    ASSERT_TRUE(platform::setFullscreen(window, true));
    std::vector<std::uint32_t> frame(1440 * 1080);
    ASSERT_TRUE(platform::presentFrame(window, frame.data(), 1440, 1080, 1440 * 4));
    platform::peekMessage(message);  // pass 2: the cursor on the left bar
    ASSERT_TRUE(platform::getCursorFramePos(window, x, y));
    EXPECT_LT(x, 0);
    EXPECT_EQ(y, 300);
    platform::shutdownWindowSystem();
    platform::selectBackend(platform::Backend::Sdl);
}

}  // namespace
}  // namespace tsuzuri
