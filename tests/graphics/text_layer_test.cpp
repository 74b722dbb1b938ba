// Text pages on the grid: layout (wraps, line breaks, spaces, the three-line area), the
// white body over the black outline, the reduced outline while skipping, the glyph cache, and
// a golden page.
#include "graphics/text_layer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "support/png_file.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

// The frame whose text layer the tests draw, shared by the fixture's helpers.
RenderState render;

class TextLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        platform::setHeadlessInput({});
        const platform::WindowHandle window = createMainWindow();
        ASSERT_NE(window, 0u);
        const Status status = initRenderDevice(render, window, platform::systemClock());
        if (status == E_NO_TEXT_FONT) {
            GTEST_SKIP() << "no Japanese font installed (tools/install-deps.sh installs "
                            "fonts-ipafont-gothic)";
        }
        ASSERT_EQ(status, S_OK);
    }
    void TearDown() override {
        setGlyphCacheEnabled(true);
        shutdownRenderDevice(render);
        unregisterMainWindowClass();
        platform::selectBackend(platform::Backend::Sdl);
    }

    static std::uint32_t at(int x, int y) { return *texturePixel(*render.textTexture, x, y); }

    static void draw(const std::string& page) {
        ASSERT_EQ(clearTextLayer(render), S_OK);
        drawTextPage(render, page.c_str());
    }

    // Whether any body (white) pixel lies in the column band [x0, x1) of the line starting at
    // `top`.
    static bool bodyIn(int x0, int x1, int top) {
        for (int y = std::max(0, top); y < std::min(600, top + kTextLineHeight); ++y) {
            for (int x = std::max(0, x0); x < std::min(800, x1); ++x) {
                if ((at(x, y) & 0x00FFFFFFu) == 0x00FFFFFFu && (at(x, y) >> 24) != 0) {
                    return true;
                }
            }
        }
        return false;
    }
    // The cells (by half-width column) of a line that hold a body pixel at their centre.
    static std::set<int> occupiedColumns(int line, int cellColumns) {
        std::set<int> columns;
        for (int column = 0; column < 62; ++column) {
            const int centre =
                kTextOriginX + kTextColumnWidth * column + kTextColumnWidth * cellColumns / 2;
            if (bodyIn(centre - 1, centre + 2, kTextOriginY + kTextLineHeight * line)) {
                columns.insert(column);
            }
        }
        return columns;
    }
    static bool layerIsEmpty() {
        for (std::uint32_t pixel : render.textTexture->pixels) {
            if (pixel != 0) {
                return false;
            }
        }
        return true;
    }
};

// The page drawn by plain painting rules: every outline copy (black, keeping the larger
// alpha) and then the body (white, replacing), character by character.
std::vector<std::uint32_t> referencePage(const std::vector<std::pair<int, int>>& pens,
                                         const std::vector<std::uint16_t>& codes, bool skipping) {
    std::vector<std::uint32_t> layer(800 * 600, 0);
    const int full[8][2] = {{-2, -2}, {0, -2}, {2, -2}, {-2, 0}, {2, 0}, {-2, 2}, {0, 2}, {2, 2}};
    const int diagonal[4][2] = {{-2, -2}, {2, -2}, {-2, 2}, {2, 2}};
    for (size_t k = 0; k < codes.size(); ++k) {
        GlyphBitmap glyph;
        if (!renderGlyph(codes[k], glyph)) {
            continue;
        }
        const int left = pens[k].first + glyph.left;
        const int top = pens[k].second + textFontAscent() - glyph.top;
        auto plot = [&](int dx, int dy, bool body) {
            for (int row = 0; row < glyph.height; ++row) {
                for (int col = 0; col < glyph.width; ++col) {
                    const std::uint32_t a = glyph.alpha[row * glyph.width + col];
                    const int x = left + col + dx, y = top + row + dy;
                    if (a == 0 || x < 0 || y < 0 || x >= 800 || y >= 600) {
                        continue;
                    }
                    std::uint32_t& pixel = layer[y * 800 + x];
                    pixel = body ? (a << 24) | 0xFFFFFF : std::max(pixel >> 24, a) << 24;
                }
            }
        };
        if (skipping) {
            for (auto& offset : diagonal)
                plot(offset[0], offset[1], false);
        } else {
            for (auto& offset : full)
                plot(offset[0], offset[1], false);
        }
        plot(0, 0, true);
    }
    return layer;
}

TEST_F(TextLayerTest, FaceFitsTheGrid) {
    GlyphBitmap a, kanji;
    ASSERT_TRUE(renderGlyph('A', a));
    ASSERT_TRUE(renderGlyph(0x955C, kanji));  // 表, whose trail byte is a backslash
    EXPECT_GT(textFontAscent(), 15);
    EXPECT_LT(textFontAscent(), 26);
    EXPECT_LE(a.left + a.width, 13 + 1) << "a half-width glyph fits its 13-pixel column";
    EXPECT_LE(kanji.left + kanji.width, 26 + 1) << "a full-width glyph fits two columns";
    GlyphBitmap space;
    EXPECT_FALSE(renderGlyph(0xA0FF, space)) << "a code without a mapping draws nothing";
}

TEST_F(TextLayerTest, CoverageHasSeventeenLevels) {
    std::set<int> allowed;
    for (int v = 0; v <= 16; ++v) {
        allowed.insert(v * 255 / 16);
    }
    for (std::uint16_t code :
         {std::uint16_t{'A'}, std::uint16_t{'g'}, std::uint16_t{0x82A0}, std::uint16_t{0x955C}}) {
        GlyphBitmap glyph;
        ASSERT_TRUE(renderGlyph(code, glyph));
        for (std::uint8_t alpha : glyph.alpha) {
            ASSERT_TRUE(allowed.count(alpha)) << "alpha " << int(alpha) << " of code " << code;
        }
    }
    EXPECT_TRUE(allowed.count(255) && allowed.count(127) && allowed.count(15));
}

TEST_F(TextLayerTest, LinesWrapAtColumnFiftyEight) {
    draw(std::string(60, 'H'));
    std::set<int> first = occupiedColumns(0, 1);
    EXPECT_EQ(first.size(), 58u);
    EXPECT_EQ(*first.rbegin(), 57);
    EXPECT_EQ(occupiedColumns(1, 1), (std::set<int>{0, 1}));

    // 30 full-width characters: 29 fill columns 0 to 57, the 30th wraps.
    std::string wide;
    for (int i = 0; i < 30; ++i)
        wide += "\x81\xA1";  // ■
    draw(wide);
    std::set<int> wideFirst = occupiedColumns(0, 2);
    EXPECT_EQ(wideFirst.size(), 29u);
    EXPECT_EQ(*wideFirst.rbegin(), 56);
    EXPECT_EQ(occupiedColumns(1, 2), (std::set<int>{0}));
}

TEST_F(TextLayerTest, SpacesAdvanceWithoutWrapping) {
    draw(std::string(60, ' ') + "H");
    EXPECT_TRUE(occupiedColumns(0, 1).empty());
    EXPECT_EQ(occupiedColumns(1, 1), (std::set<int>{0}));
    draw("H\x81\x40H");  // a full-width space is two columns
    EXPECT_EQ(occupiedColumns(0, 1), (std::set<int>{0, 3}));
}

TEST_F(TextLayerTest, LineBreaksAndTheThreeLineArea) {
    draw("H\\nH\\nH\\nH");
    EXPECT_EQ(occupiedColumns(0, 1), (std::set<int>{0}));
    EXPECT_EQ(occupiedColumns(1, 1), (std::set<int>{0}));
    EXPECT_EQ(occupiedColumns(2, 1), (std::set<int>{0}));
    EXPECT_FALSE(bodyIn(0, 800, 570)) << "the fourth line is not drawn";

    draw("\\n\\n\\nHello");
    EXPECT_TRUE(layerIsEmpty());

    // After a lead byte, 0x5C 0x6E is a character and a letter, not a break.
    draw("\x95\\nH");
    EXPECT_EQ(occupiedColumns(0, 1).count(3), 1u) << "n and H follow 表 on the same line";
    EXPECT_TRUE(occupiedColumns(1, 1).empty());
}

TEST_F(TextLayerTest, OutlineOfTheFirstGlyphReachesTwoPixelsLeftOfThePen) {
    // A glyph with no left bearing: its outline starts at x 18.
    std::uint16_t code = 0;
    for (std::uint16_t candidate = 0x21; candidate < 0x7F && code == 0; ++candidate) {
        GlyphBitmap glyph;
        if (renderGlyph(candidate, glyph) && glyph.left == 0) {
            code = candidate;
        }
    }
    if (code == 0) {
        GTEST_SKIP() << "this face has no ASCII glyph without left bearing";
    }
    draw(std::string(1, static_cast<char>(code)));
    bool reaches18 = false;
    for (int y = 470; y < 520; ++y) {
        EXPECT_EQ(at(17, y), 0u);
        reaches18 = reaches18 || at(18, y) != 0;
    }
    EXPECT_TRUE(reaches18);
}

TEST_F(TextLayerTest, BodyIsWhiteOverBlackOutlineAcrossNeighbours) {
    // "Hi表" then a page on the second line: every pixel as the painting rules give it.
    draw("Hi\x95\\W\\nAB");
    const std::vector<std::uint32_t> expected =
        referencePage({{20, 480}, {33, 480}, {46, 480}, {72, 480}, {20, 510}, {33, 510}},
                      {'H', 'i', 0x955C, 'W', 'A', 'B'}, false);
    ASSERT_EQ(render.textTexture->pixels.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(render.textTexture->pixels[i], expected[i])
            << "pixel " << i % 800 << "," << i / 800;
    }
}

TEST_F(TextLayerTest, SkippingDrawsOnlyTheDiagonalOutline) {
    ASSERT_EQ(clearTextLayer(render), S_OK);
    drawTextPage(render, "MW", true);
    const std::vector<std::uint32_t> expected =
        referencePage({{20, 480}, {33, 480}}, {'M', 'W'}, true);
    const PixelVector& pixels = render.textTexture->pixels;
    EXPECT_EQ(std::vector<std::uint32_t>(pixels.begin(), pixels.end()), expected);
}

TEST_F(TextLayerTest, CachedGlyphsDrawExactlyWhatFreshOnesDo) {
    const std::string page =
        "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD Tsuzuri \x95\\\x8E\xA6\\n12345";
    draw(page);
    draw(page);  // now from the cache
    const PixelVector cached = render.textTexture->pixels;
    setGlyphCacheEnabled(false);
    draw(page);
    EXPECT_EQ(render.textTexture->pixels, cached);
}

TEST_F(TextLayerTest, FontSearchedAheadIsTheFaceFoundOnDemand) {
    const std::string onDemand = textFontDescription();
    // A search nobody took the answer of is simply replaced by the next one.
    startTextFontSearch();
    startTextFontSearch();
    std::string error;
    ASSERT_TRUE(openTextFont(error)) << error;
    EXPECT_EQ(textFontDescription(), onDemand);
}

// Draws the page and compares the layer with a committed golden image, made with the font,
// rasteriser and settings recorded beside it (TSUZURI_UPDATE_GOLDEN=1 remakes both).
void expectGolden(const std::string& name, const std::string& page) {
    const std::filesystem::path folder = TSUZURI_GOLDEN_DIR;
    ASSERT_EQ(clearTextLayer(render), S_OK);
    drawTextPage(render, page.c_str());
    const PixelVector& pixels = render.textTexture->pixels;
    test::RgbaImage image{800, 600, {pixels.begin(), pixels.end()}};
    if (std::getenv("TSUZURI_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(test::writePng(folder / (name + ".png"), image));
        std::ofstream(folder / "text_page.txt") << textFontDescription() << "\n";
    }
    std::ifstream recordedFile(folder / "text_page.txt");
    std::string description;
    std::getline(recordedFile, description);
    if (description != textFontDescription()) {
        GTEST_SKIP() << "the golden pages were made with [" << description
                     << "], this machine has [" << textFontDescription()
                     << "]; rerun with TSUZURI_UPDATE_GOLDEN=1 to remake them";
    }
    test::RgbaImage expected;
    ASSERT_TRUE(test::readPng(folder / (name + ".png"), expected));
    ASSERT_EQ(expected.width, 800);
    EXPECT_TRUE(expected.pixels == image.pixels) << "the page differs from " << name << ".png";
}

TEST_F(TextLayerTest, GoldenPage) {
    // 「綴り」へようこそ。 Text ¥100 and a long line that wraps ...
    expectGolden(
        "text_page",
        "\x81\x75\x92\xD4\x82\xE8\x81\x76\x82\xD6\x82\xE6\x82\xA4\x82\xB1\x82\xBB\x81\x42 "
        "Text \\100\\n\x82\xB1\x82\xEA\x82\xCD\x92\xB7\x82\xA2\x8D\x73\x82\xC5\x82\xB7\x81\x42"
        "The quick brown fox jumps over the lazy dog, again and again.");
}

TEST_F(TextLayerTest, GoldenMenu) {
    // A menu as a choice line draws it, one entry per line: 窓際の棚 / 奥の棚 / 机の上.
    expectGolden(
        "text_menu",
        "\x91\x8B\x8D\xDB\x82\xCC\x92I\\n\x89\x9C\x82\xCC\x92I\\n\x8A\xF7\x82\xCC\x8F\xE3\\n");
}

}  // namespace
}  // namespace tsuzuri
