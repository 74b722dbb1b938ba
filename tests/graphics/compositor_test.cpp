// The compositing rules, pixel for pixel: source-alpha blending rounded to nearest, centred
// placement with clipping, the inverted band and the saturating flash.
#include "graphics/compositor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace tsuzuri {
namespace {

struct Frame {
    Frame(int width, int height, std::uint32_t color)
        : pixels(static_cast<size_t>(width) * height, color),
          view{pixels.data(), width, height, width} {}
    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * view.width + x]; }
    std::vector<std::uint32_t> pixels;
    FrameView view;
};

// A texture whose texel (i, j) is opaque and encodes its own coordinates.
TextureSlot coordinateTexture(std::uint32_t width, std::uint32_t height) {
    TextureSlot texture = createTexture(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            *texturePixel(*texture, x, y) = 0xFF000000u | ((x & 0xFFF) << 12) | (y & 0xFFF);
        }
    }
    return texture;
}

TEST(CompositorTest, BlendRoundsToNearestForEveryAlphaAndChannelValue) {
    TextureSlot texel = createTexture(1, 1);
    Frame frame(1, 1, 0);
    for (std::uint32_t a = 0; a < 256; ++a) {
        for (std::uint32_t src = 0; src < 256; src += 3) {
            for (std::uint32_t dst = 0; dst < 256; dst += 5) {
                *texturePixel(*texel, 0, 0) = (a << 24) | (src << 16) | (src << 8) | src;
                frame.pixels[0] = 0xFF000000u | (dst << 16) | (dst << 8) | dst;
                blendTextureCentred(frame.view, *texel);
                const double exact = (src * a + dst * (255.0 - a)) / 255.0;
                const auto expected = static_cast<std::uint32_t>(std::floor(exact + 0.5));
                ASSERT_EQ(frame.pixels[0] & 0xFF, expected)
                    << "a=" << a << " src=" << src << " dst=" << dst;
                ASSERT_EQ((frame.pixels[0] >> 16) & 0xFF, expected);
                ASSERT_EQ(frame.pixels[0] >> 24, 0xFFu) << "the frame's own alpha is kept";
            }
        }
    }
}

TEST(CompositorTest, WideRowsBlendExactlyLikeSinglePixels) {
    // Rows long enough for the grouped paths, with runs of transparent and opaque texels
    // among random ones, checked against the rounding rule pixel by pixel.
    std::mt19937 random(11);
    TextureSlot texture = createTexture(803, 9);
    for (size_t i = 0; i < texture->pixels.size(); ++i) {
        const std::uint32_t kind = (i / 16) % 4;
        const std::uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : random() & 0xFF;
        texture->pixels[i] = (alpha << 24) | (random() & 0xFFFFFF);
    }
    Frame frame(800, 20, 0);
    for (std::uint32_t& pixel : frame.pixels) {
        pixel = 0xFF000000u | (random() & 0xFFFFFF);
    }
    const std::vector<std::uint32_t> before = frame.pixels;
    blendTextureCentred(frame.view, *texture);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 800; ++x) {
            const std::uint32_t dst = before[y * 800 + x];
            std::uint32_t expected = dst;
            const int ty = y - 5;  // floor((20 - 9) / 2) = 5; tx = x + 2 (floor(-3 / 2) = -2)
            if (ty >= 0 && ty < 9) {
                const std::uint32_t src = *texturePixel(*texture, x + 2, ty);
                const std::uint32_t a = src >> 24;
                expected = dst & 0xFF000000u;
                for (int shift : {0, 8, 16}) {
                    const double exact =
                        (((src >> shift) & 0xFF) * a + ((dst >> shift) & 0xFF) * (255.0 - a)) /
                        255.0;
                    expected |= static_cast<std::uint32_t>(std::floor(exact + 0.5)) << shift;
                }
            }
            ASSERT_EQ(frame.at(x, y), expected) << x << "," << y;
        }
    }
}

TEST(CompositorTest, SmallerPictureIsCentredWithTheClearColourAround) {
    Frame frame(800, 600, 0xFFC0C0FF);
    TextureSlot picture = coordinateTexture(640, 480);
    blendTextureCentred(frame.view, *picture);
    EXPECT_EQ(frame.at(80, 60), 0xFF000000u);
    EXPECT_EQ(frame.at(80 + 639, 60 + 479), 0xFF000000u | (639u << 12) | 479u);
    EXPECT_EQ(frame.at(79, 60), 0xFFC0C0FFu);
    EXPECT_EQ(frame.at(80, 59), 0xFFC0C0FFu);
    EXPECT_EQ(frame.at(720, 540), 0xFFC0C0FFu);
}

TEST(CompositorTest, LargerPictureShowsItsCentreAndOddSizesRoundTowardsMinusInfinity) {
    Frame frame(800, 600, 0xFF000000);
    TextureSlot large = coordinateTexture(1024, 768);
    blendTextureCentred(frame.view, *large);
    EXPECT_EQ(frame.at(0, 0), 0xFF000000u | (112u << 12) | 84u);
    EXPECT_EQ(frame.at(799, 599), 0xFF000000u | (911u << 12) | 683u);

    TextureSlot wide = coordinateTexture(801, 3);
    blendTextureCentred(frame.view, *wide);
    // X = floor(-1 / 2) = -1: the first column is off screen, texel 1 lands on pixel 0.
    EXPECT_EQ(frame.at(0, 298), 0xFF000000u | (1u << 12) | 0u);
    EXPECT_EQ(frame.at(799, 300), 0xFF000000u | (800u << 12) | 2u);
}

TEST(CompositorTest, BandInvertsColoursOfItsRowsOnly) {
    Frame frame(800, 600, 0xFF102030);
    invertBand(frame.view, 0, 538, 800, 568);
    EXPECT_EQ(frame.at(0, 537), 0xFF102030u);
    EXPECT_EQ(frame.at(0, 538), 0xFFEFDFCFu);
    EXPECT_EQ(frame.at(799, 567), 0xFFEFDFCFu);
    EXPECT_EQ(frame.at(799, 568), 0xFF102030u);
    invertBand(frame.view, -5, 590, 900, 700);  // clipped, not written past the frame
    EXPECT_EQ(frame.at(0, 599), 0xFFEFDFCFu);
}

TEST(CompositorTest, FlashAddsAndSaturatesEachColourChannel) {
    Frame frame(7, 1, 0xFF00FF80);
    frame.pixels[5] = 0x12F0F00Fu;
    addFlash(frame.view, 5);
    EXPECT_EQ(frame.at(0, 0), 0xFF05FF85u);
    EXPECT_EQ(frame.at(6, 0), 0xFF05FF85u);
    EXPECT_EQ(frame.at(5, 0), 0x12F5F514u) << "alpha untouched";
    addFlash(frame.view, 20);
    EXPECT_EQ(frame.at(5, 0), 0x12FFFF28u);
    addFlash(frame.view, 255);
    EXPECT_EQ(frame.at(3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(frame.at(6, 0), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tsuzuri
