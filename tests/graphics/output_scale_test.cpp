// The frame composed at other sizes than 800x600: the same layout, text drawn afresh at the
// output's resolution (not enlarged pixels), pictures scaled without colour bleeding in from
// their transparent parts, and the choice band on the scaled grid.
#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/render_device.h"
#include "graphics/text_layer.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "support/headless_device.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

class OutputScaleTest : public test::HeadlessDeviceTest {
protected:
    void SetUp() override { startDevice(); }

    std::uint32_t pixel(int x, int y) const {
        return render.frame[static_cast<size_t>(y) * render.outputWidth + x];
    }
    static int channel(std::uint32_t color, int shift) { return (color >> shift) & 0xFF; }
};

TEST_F(OutputScaleTest, TwiceTheSizeKeepsTheLayoutWithTextOfFinerDetail) {
    // A horizontal gradient as the scene, a translucent window, and a page drawn at 800x600.
    TextureSlot scene = createTexture(800, 600);
    for (std::uint32_t y = 0; y < 600; ++y) {
        for (std::uint32_t x = 0; x < 800; ++x) {
            *texturePixel(*scene, x, y) = 0xFF000000u | (x * 255 / 799) << 16 | 0x4080u;
        }
    }
    render.sceneTexture = std::move(scene);
    TextureSlot window = createTexture(800, 140);
    std::fill(window->pixels.begin(), window->pixels.end(), 0xA0102040u);
    render.windowTexture = std::move(window);
    drawTextPage(render,
                 "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67 Tsuzuri\\n"
                 "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8");
    composeFrame(render, sceneState);
    const std::vector<std::uint32_t> plain = render.frame;

    // The page is drawn again for the new size.
    ASSERT_TRUE(setOutputSize(render, 1600, 1200));
    composeFrame(render, sceneState);
    double difference = 0;
    int detailedBlocks = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const std::uint32_t block[] = {pixel(2 * x, 2 * y), pixel(2 * x + 1, 2 * y),
                                           pixel(2 * x, 2 * y + 1), pixel(2 * x + 1, 2 * y + 1)};
            for (int shift : {0, 8, 16}) {
                const int mean = (channel(block[0], shift) + channel(block[1], shift) +
                                  channel(block[2], shift) + channel(block[3], shift) + 2) /
                                 4;
                difference += std::abs(mean - channel(plain[y * 800 + x], shift));
            }
            if (y >= 480 &&
                (block[0] != block[1] || block[0] != block[2] || block[0] != block[3])) {
                ++detailedBlocks;
            }
        }
    }
    // Box-filtered down, the frame is the plain one up to the finer edges of the text.
    EXPECT_LT(difference / (800.0 * 600 * 3), 0.75);
    // Glyphs rasterised at 52 pixels: many 2x2 blocks in the text area are not one colour,
    // where a plain enlargement has none.
    EXPECT_GT(detailedBlocks, 2000);
}

TEST_F(OutputScaleTest, FractionalSizeScalesBandAndPicturesOnTheSameGrid) {
    ASSERT_TRUE(setOutputSize(render, 1067, 800));
    // Left half opaque red, right half transparent bright green: no green may show.
    TextureSlot scene = createTexture(800, 600);
    for (std::uint32_t y = 0; y < 600; ++y) {
        for (std::uint32_t x = 0; x < 800; ++x) {
            *texturePixel(*scene, x, y) = x < 400 ? 0xFFFF0000u : 0x0000FF00u;
        }
    }
    render.sceneTexture = std::move(scene);
    sceneState.choiceHover = 1;
    sceneState.hoverRow = 1;
    composeFrame(render, sceneState);
    const int bandTop = frameToOutput(508, 800, 600);
    const int bandBottom = frameToOutput(538, 800, 600);
    for (int y = 0; y < 800; ++y) {
        for (int x = 0; x < 1067; ++x) {
            const bool inBand = y >= bandTop && y < bandBottom;
            const std::uint32_t shown = inBand ? pixel(x, y) ^ 0x00FFFFFFu : pixel(x, y);
            ASSERT_LE(channel(shown, 8), 0xC0) << x << "," << y;  // the clear colour's green
        }
    }
    EXPECT_EQ(pixel(1000, bandTop - 1), kClearColor);
    EXPECT_EQ(pixel(1000, bandTop), kClearColor ^ 0x00FFFFFFu);
    EXPECT_EQ(pixel(1000, bandBottom - 1), kClearColor ^ 0x00FFFFFFu);
    EXPECT_EQ(pixel(1000, bandBottom), kClearColor);
    EXPECT_EQ(pixel(100, 100), 0xFFFF0000u);
}

}  // namespace
}  // namespace tsuzuri
