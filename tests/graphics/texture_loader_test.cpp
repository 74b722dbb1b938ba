// Pictures loaded with their "-m" masks: the mask's red & green & blue becomes the alpha,
// masks of another size are stretched to the picture, and failures leave the slot as the
// rules say.
#include "graphics/texture_loader.h"

#include <gtest/gtest.h>

#include "graphics/resample.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "support/gif_file.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

std::string le16(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

// A 24-bit bitmap filled with one colour.
std::string solidBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    std::string row;
    for (std::uint32_t x = 0; x < width; ++x) {
        row += {static_cast<char>(rgb), static_cast<char>(rgb >> 8), static_cast<char>(rgb >> 16)};
    }
    row.resize(rowBytes, '\0');
    std::string pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        pixels += row;
    }
    const std::string info =
        le32(40) + le32(width) + le32(height) + le16(1) + le16(24) + std::string(24, '\0');
    return "BM" + le32(54 + static_cast<std::uint32_t>(pixels.size())) + le32(0) + le32(54) + info +
           pixels;
}

class TextureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        platform::setHeadlessInput({});
    }
    void TearDown() override { platform::selectBackend(platform::Backend::Sdl); }

    std::uint32_t alphaWithMask(std::uint32_t maskColour) {
        game.write("cg/pic.bmp", solidBitmap(2, 2, 0x123456));
        game.write("cg/pic-m.bmp", solidBitmap(2, 2, maskColour));
        TextureSlot slot;
        EXPECT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\pic.bmp"}, slot), S_OK);
        return slot ? slot->pixels[0] >> 24 : 0xFFFF;
    }

    test::TempFolder game;
};

TEST_F(TextureLoaderTest, MaskAlphaIsTheAndOfItsColourChannels) {
    EXPECT_EQ(alphaWithMask(0xFFFFFF), 255u);
    EXPECT_EQ(alphaWithMask(0x000000), 0u);
    EXPECT_EQ(alphaWithMask(0x808080), 128u);
    EXPECT_EQ(alphaWithMask(0xFF00FF), 0u);
    EXPECT_EQ(alphaWithMask(0xC080FF), 0x80u);
    EXPECT_EQ(alphaWithMask(0xF00FFF), 0u);
}

TEST_F(TextureLoaderTest, SmallerMaskIsStretchedOverThePicture) {
    game.write("cg/big.bmp", solidBitmap(80, 60, 0x204060));
    game.write("cg/big-m.bmp", solidBitmap(40, 30, 0xFFFFFF));
    TextureSlot slot;
    ASSERT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\big.bmp"}, slot), S_OK);
    ASSERT_EQ(slot->width, 80u);
    for (std::uint32_t pixel : slot->pixels) {
        ASSERT_EQ(pixel, 0xFF204060u);
    }
}

TEST_F(TextureLoaderTest, MissingPictureLeavesTheSlotAndBrokenOneEmptiesItWithAMessage) {
    TextureSlot slot = createTexture(1, 1);
    Texture* before = slot.get();
    EXPECT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\none.bmp"}, slot), E_FAIL);
    EXPECT_EQ(slot.get(), before);
    EXPECT_TRUE(platform::headlessMessageLog().empty());

    game.write("cg/broken.bmp", "BM this is no picture");
    EXPECT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\broken.bmp"}, slot), E_FAIL);
    EXPECT_FALSE(slot);
    ASSERT_EQ(platform::headlessMessageLog().size(), 1u);
    EXPECT_NE(platform::headlessMessageLog()[0].find("broken.bmp\n"), std::string::npos);
    EXPECT_NE(platform::headlessMessageLog()[0].find("テクスチャの作成に失敗しました"),
              std::string::npos);
}

TEST_F(TextureLoaderTest, PictureOnlyTheSecondChanceReadsTakesAStretchedMaskToo) {
    // A 1x1 GIF (identified by no reader) with a 3x3 grey mask, both read by the second
    // chance: the mask is brought to the picture's size before its alpha is taken.
    const std::string gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00!\xF9\x04\x01\x00\x00\x00\x00,"
        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        43);
    game.write("cg/dot.gif", gif);
    game.write("cg/dot-m.gif", solidBitmap(3, 3, 0x808080));
    TextureSlot slot;
    ASSERT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\dot.gif"}, slot), S_OK);
    ASSERT_EQ(slot->width, 1u);
    EXPECT_EQ(slot->pixels[0], 0x80FFFFFFu);
}

TEST_F(TextureLoaderTest, GifMaskBesideAGifPictureGivesEachRowItsAlpha) {
    // Both interlaced, 40x24: the picture's row y is grey 10 * y, the mask's 255 - 10 * y.
    std::vector<std::uint32_t> grey;
    for (std::uint32_t i = 0; i < 256; ++i) {
        grey.push_back(i * 0x010101u);
    }
    test::GifFrame picture{0, 0, 40, 24, true, {}, {}};
    test::GifFrame mask = picture;
    for (int y = 0; y < 24; ++y) {
        picture.indexes.insert(picture.indexes.end(), 40, static_cast<std::uint8_t>(10 * y));
        mask.indexes.insert(mask.indexes.end(), 40, static_cast<std::uint8_t>(255 - 10 * y));
    }
    game.write("cg/rows.gif", test::writeGif(40, 24, grey, 0, picture));
    game.write("cg/rows-m.gif", test::writeGif(40, 24, grey, 0, mask));
    TextureSlot slot;
    ASSERT_EQ(loadMaskedTexture(GamePath{game.path(), "cg\\rows.gif"}, slot), S_OK);
    ASSERT_EQ(slot->width, 40u);
    ASSERT_EQ(slot->height, 24u);
    for (std::uint32_t y = 0; y < 24; ++y) {
        EXPECT_EQ(slot->pixels[y * 40 + 17], ((255 - 10 * y) << 24) | (10 * y * 0x010101u)) << y;
    }
}

TEST(ResampleTest, FlatColoursStayExactAndSizesMatch) {
    TextureSlot white = createTexture(4, 3);
    std::fill(white->pixels.begin(), white->pixels.end(), 0xFFFFFFFFu);
    for (auto [w, h] :
         {std::pair{8u, 6u}, std::pair{3u, 2u}, std::pair{4u, 3u}, std::pair{11u, 1u}}) {
        TextureSlot out = resampleTexture(*white, w, h);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->width, w);
        EXPECT_EQ(out->height, h);
        for (std::uint32_t pixel : out->pixels) {
            ASSERT_EQ(pixel, 0xFFFFFFFFu);
        }
    }
}

TEST(ResampleTest, ShrinkingAveragesAndDitheringKeepsTheMean) {
    // A 2x2 checker of black and white, shrunk to 1x1 and stretched to 16x16.
    TextureSlot checker = createTexture(2, 2);
    checker->pixels = {0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFF000000u};
    TextureSlot one = resampleTexture(*checker, 1, 1);
    ASSERT_TRUE(one);
    EXPECT_NEAR(static_cast<int>(one->pixels[0] & 0xFF), 127, 1);
    TextureSlot grey = createTexture(1, 1);
    grey->pixels = {0xFF808080u};
    TextureSlot big = resampleTexture(*grey, 16, 16);
    ASSERT_TRUE(big);
    for (std::uint32_t pixel : big->pixels) {
        ASSERT_EQ(pixel, 0xFF808080u);
    }
}

}  // namespace
}  // namespace tsuzuri
