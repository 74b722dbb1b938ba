// Image readers checked against public conformance suites (decoded by independent decoders
// into reference PNG files) and against hand-made files for the player's own rules.
#include "graphics/image_decoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "graphics/fallback_decoder.h"
#include "support/gif_file.h"
#include "support/jpeg_file.h"
#include "support/png_file.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

const fs::path kConformance = TSUZURI_CONFORMANCE_DIR;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::uint8_t* bytesOf(const std::string& data) {
    return reinterpret_cast<const std::uint8_t*>(data.data());
}

// Decodes at the picture's own size; null when it is refused.
TextureSlot decode(const std::string& data) {
    ImageInfo info;
    if (failed(readImageInfo(bytesOf(data), static_cast<std::uint32_t>(data.size()), info))) {
        return nullptr;
    }
    TextureSlot texture;
    if (failed(decodeImageToTexture(bytesOf(data), static_cast<std::uint32_t>(data.size()),
                                    info.width, info.height, texture))) {
        return nullptr;
    }
    return texture;
}

// Compares pixels; `ignoreAlpha` for references without an alpha channel to compare.
::testing::AssertionResult samePixels(const Texture& texture, const test::RgbaImage& reference,
                                      bool ignoreAlpha = false) {
    if (texture.width != static_cast<std::uint32_t>(reference.width) ||
        texture.height != static_cast<std::uint32_t>(reference.height)) {
        return ::testing::AssertionFailure()
               << "size " << texture.width << "x" << texture.height << " vs " << reference.width
               << "x" << reference.height;
    }
    const std::uint32_t mask = ignoreAlpha ? 0x00FFFFFFu : 0xFFFFFFFFu;
    for (std::size_t i = 0; i < reference.pixels.size(); ++i) {
        std::uint32_t expected = reference.pixels[i];
        std::uint32_t actual = texture.pixels[i];
        if ((expected >> 24) == 0 && (actual >> 24) == 0) {
            continue;  // fully transparent: the colour does not matter
        }
        if ((expected & mask) != (actual & mask)) {
            return ::testing::AssertionFailure()
                   << "pixel " << i % reference.width << "," << i / reference.width << ": "
                   << std::hex << actual << " vs " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::vector<std::string>> readCsv(const fs::path& file) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream stream(line);
        std::string cell;
        while (std::getline(stream, cell, ',')) {
            cells.push_back(cell);
        }
        rows.push_back(cells);
    }
    return rows;
}

#define SKIP_WITHOUT_CONFORMANCE(folder)                                                       \
    if (!fs::exists(kConformance / folder)) {                                                  \
        GTEST_SKIP() << "conformance files not found at " << (kConformance / folder).string(); \
    }

// A bit-field bitmap whose header is 40 bytes (masks after it): our strict reader needs a
// header of at least 52 bytes for bit fields and leaves such files to the second chance.
bool isBitFieldsWithShortHeader(const std::string& data) {
    return data.size() >= 34 && static_cast<unsigned char>(data[14]) == 40 && data[30] == 3;
}

TEST(ImageDecoderTest, BitmapSuiteDecodesLikeTheReferences) {
    SKIP_WITHOUT_CONFORMANCE("bmp");
    int checked = 0;
    for (const auto& row : readCsv(kConformance / "bmp" / "expected.csv")) {
        if (row.size() < 4 || row[1].rfind("good", 0) != 0) {
            continue;
        }
        SCOPED_TRACE(row[0]);
        const std::string data = readFile(kConformance / "bmp" / row[0]);
        if (row[3] == "N/A") {
            // No reference to compare with: it must still be shown, by one decoder or the other.
            TextureSlot fallback;
            EXPECT_TRUE(decode(data) ||
                        !failed(decodeFallbackPicture(
                            bytesOf(data), static_cast<std::uint32_t>(data.size()), fallback)));
            continue;
        }
        test::RgbaImage reference;
        ASSERT_TRUE(test::readPng(kConformance / "bmp" / row[3], reference));
        TextureSlot texture = decode(data);
        if (!texture && isBitFieldsWithShortHeader(data)) {
            // The second chance reads it, opaque.
            ASSERT_EQ(decodeFallbackPicture(bytesOf(data), static_cast<std::uint32_t>(data.size()),
                                            texture),
                      S_OK);
            EXPECT_TRUE(samePixels(*texture, reference, true));
            ++checked;
            continue;
        }
        ASSERT_TRUE(texture) << "refused";
        EXPECT_TRUE(samePixels(*texture, reference));
        ++checked;
    }
    EXPECT_GE(checked, 15);
}

TEST(ImageDecoderTest, BadAndQuestionableBitmapsNeverCrash) {
    SKIP_WITHOUT_CONFORMANCE("bmp");
    for (const char* folder : {"b", "q"}) {
        for (const auto& entry : fs::directory_iterator(kConformance / "bmp" / folder)) {
            const std::string data = readFile(entry.path());
            decode(data);
            TextureSlot fallback;
            decodeFallbackPicture(bytesOf(data), static_cast<std::uint32_t>(data.size()), fallback);
        }
    }
}

TEST(ImageDecoderTest, PngSuiteDecodesLikeTheReferencesAndRefusesCorruptFiles) {
    SKIP_WITHOUT_CONFORMANCE("png/pngsuite");
    const fs::path suite = kConformance / "png" / "pngsuite";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(suite / "primary")) {
        SCOPED_TRACE(entry.path().filename().string());
        test::RgbaImage reference;
        ASSERT_TRUE(test::readPng(suite / "primary_check" / entry.path().filename(), reference));
        TextureSlot texture = decode(readFile(entry.path()));
        ASSERT_TRUE(texture);
        EXPECT_TRUE(samePixels(*texture, reference));
        ++checked;
    }
    EXPECT_GT(checked, 50);
    for (const auto& entry : fs::directory_iterator(suite / "corrupt")) {
        EXPECT_FALSE(decode(readFile(entry.path()))) << entry.path().filename();
    }
}

TEST(ImageDecoderTest, TargaSuiteDecodesLikeTheReferences) {
    SKIP_WITHOUT_CONFORMANCE("tga/ftrvxmtrx");
    const fs::path suite = kConformance / "tga" / "ftrvxmtrx";
    int checked = 0;
    for (const auto& row : readCsv(suite / "expected.csv")) {
        if (row.size() < 2 || row[1].empty()) {
            continue;
        }
        SCOPED_TRACE(row[0]);
        test::RgbaImage reference;
        ASSERT_TRUE(test::readPng(suite / row[1], reference));
        TextureSlot texture = decode(readFile(suite / row[0]));
        ASSERT_TRUE(texture) << "refused";
        EXPECT_TRUE(samePixels(*texture, reference));
        ++checked;
    }
    EXPECT_GT(checked, 8);
}

TEST(ImageDecoderTest, PortableMapsDecodeOrAreRefusedAsTheSuiteExpects) {
    SKIP_WITHOUT_CONFORMANCE("pnm/edge-cases");
    const fs::path suite = kConformance / "pnm" / "edge-cases";
    for (const auto& row : readCsv(suite / "expected.csv")) {
        SCOPED_TRACE(row[0]);
        TextureSlot texture = decode(readFile(suite / row[0]));
        if (row[1].rfind("valid", 0) == 0) {
            ASSERT_TRUE(texture) << "refused";
        } else {
            EXPECT_FALSE(texture) << "accepted";
        }
    }
    auto pixelsOf = [&](const char* name) {
        TextureSlot texture = decode(readFile(suite / name));
        return texture ? std::vector<std::uint32_t>(texture->pixels.begin(), texture->pixels.end())
                       : std::vector<std::uint32_t>{};
    };
    EXPECT_EQ(pixelsOf("p2_maxval4.pgm"),
              (std::vector<std::uint32_t>{0xFF000000u, 0xFF808080u, 0xFFFFFFFFu}));
    EXPECT_EQ(pixelsOf("p5_maxval257.pgm"),
              (std::vector<std::uint32_t>{0xFF000000u, 0xFF7F7F7Fu, 0xFFFFFFFFu}));
    EXPECT_EQ(pixelsOf("p3_maxval17.ppm"),
              (std::vector<std::uint32_t>{0xFF000F1Eu, 0xFF788796u, 0xFFE1F0FFu}));
    EXPECT_EQ(pixelsOf("p1_comment_in_data.pbm"),
              (std::vector<std::uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu}));
    TextureSlot comments = decode(readFile(suite / "p6_header_comments.ppm"));
    ASSERT_TRUE(comments);
    EXPECT_EQ(comments->width, 128u);
    // Every other portable map of the suites decodes or is refused without harm.
    for (const auto& entry : fs::recursive_directory_iterator(kConformance / "pnm")) {
        if (entry.is_regular_file()) {
            decode(readFile(entry.path()));
        }
    }
}

TEST(ImageDecoderTest, FloatMapsClampLinearValuesToBytes) {
    SKIP_WITHOUT_CONFORMANCE("pfm");
    const fs::path suite = kConformance / "pfm";
    for (const auto& row : readCsv(suite / "expected.csv")) {
        if (row[1] == "valid") {
            EXPECT_TRUE(decode(readFile(suite / row[0]))) << row[0];
        } else if (row[1] == "invalid") {
            EXPECT_FALSE(decode(readFile(suite / row[0]))) << row[0];
        }
    }
    // Top row (0.0, 0.5, 1.0) (1.5, -2.0, 0.001), stored bottom row first, either byte order.
    for (const char* name : {"synthetic/rgb_2x2_le.pfm", "synthetic/rgb_2x2_be.pfm"}) {
        TextureSlot texture = decode(readFile(suite / name));
        ASSERT_TRUE(texture) << name;
        EXPECT_EQ(texture->pixels[0], 0xFF0080FFu) << name;
        EXPECT_EQ(texture->pixels[1], 0xFFFF0000u) << name;
    }
}

TEST(ImageDecoderTest, RadiancePicturesDecodeLikeTheirFloatReferences) {
    SKIP_WITHOUT_CONFORMANCE("hdr/image-rs");
    // The references hold the same linear values as float maps, turned to bytes the same way:
    // flat, new run-length and old repeat-mark scanlines must all give the same pixels.
    const fs::path suite = kConformance / "hdr" / "image-rs";
    for (const char* name : {"image1.hdr", "old-rle.hdr", "rgbr4x4.hdr", "scale.hdr"}) {
        SCOPED_TRACE(name);
        TextureSlot picture = decode(readFile(suite / name));
        TextureSlot reference =
            decode(readFile(suite / "expected-pfm" / (std::string(name) + ".pfm")));
        ASSERT_TRUE(picture);
        ASSERT_TRUE(reference);
        EXPECT_EQ(picture->width, reference->width);
        EXPECT_TRUE(picture->pixels == reference->pixels);
        // The same with its header lines, up to the resolution line, ending in CR LF.
        std::string crlf = readFile(suite / name);
        const std::size_t headerEnd = crlf.find('\n', crlf.find("\n\n") + 2);
        ASSERT_NE(headerEnd, std::string::npos);
        for (std::size_t at = crlf.rfind('\n', headerEnd); at != std::string::npos && at > 0;
             at = crlf.rfind('\n', at - 1)) {
            crlf.insert(at, "\r");
        }
        TextureSlot fromCrlf = decode(crlf);
        ASSERT_TRUE(fromCrlf) << "refused with CR LF";
        EXPECT_TRUE(fromCrlf->pixels == reference->pixels);
    }
    for (const auto& entry : fs::directory_iterator(kConformance / "hdr" / "magnum")) {
        EXPECT_TRUE(decode(readFile(entry.path()))) << entry.path().filename();
    }
}

TEST(ImageDecoderTest, DirectDrawSurfacesDecodeTheirFirstImage) {
    SKIP_WITHOUT_CONFORMANCE("dds/pillow");
    const fs::path pillow = kConformance / "dds" / "pillow";
    int compared = 0;
    for (const auto& row : readCsv(pillow / "expected.csv")) {
        SCOPED_TRACE(row[0]);
        TextureSlot texture = decode(readFile(pillow / row[0]));
        if (row[1] == "invalid") {
            EXPECT_FALSE(texture) << "accepted";
            continue;
        }
        if (row[1] != "valid") {
            continue;  // robustness cases: anything but a crash
        }
        ASSERT_TRUE(texture) << "refused";
        if (row.size() > 5 && !row[5].empty()) {
            test::RgbaImage reference;
            ASSERT_TRUE(test::readPng(pillow / row[5], reference));
            // 5-bit channels: the reference truncates, we round (at most 1 apart).
            if (row[0] == "bgr15.dds") {
                for (std::size_t i = 0; i < reference.pixels.size(); ++i) {
                    for (int shift : {0, 8, 16}) {
                        const int a = (texture->pixels[i] >> shift) & 0xFF,
                                  b = (reference.pixels[i] >> shift) & 0xFF;
                        ASSERT_LE(std::abs(a - b), 1) << "pixel " << i;
                    }
                }
            } else {
                EXPECT_TRUE(samePixels(*texture, reference));
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 5);
    SKIP_WITHOUT_CONFORMANCE("dds/magnum");
    const fs::path magnum = kConformance / "dds" / "magnum";
    for (const auto& row : readCsv(magnum / "expected.csv")) {
        if (!fs::exists(magnum / row[0])) {
            continue;  // rows describing files the original test makes by cutting others
        }
        TextureSlot texture = decode(readFile(magnum / row[0]));
        if (row[1] == "valid-2d") {
            EXPECT_TRUE(texture) << row[0];
        } else if (row[1] == "invalid") {
            EXPECT_FALSE(texture) << row[0];
        }
    }
    // Exact values of a small one: RGB (de,ad,b5) (ca,fe,77) (de,ad,b5) on the top row.
    TextureSlot bgr = decode(readFile(magnum / "bgr8unorm.dds"));
    ASSERT_TRUE(bgr);
    EXPECT_EQ(bgr->pixels[0], 0xFFDEADB5u);
    EXPECT_EQ(bgr->pixels[1], 0xFFCAFE77u);
    // The header's size fields (124, 32) do not decide: a writer that left them 0, and files
    // with other values patched in, still give their pixels.
    TextureSlot zeroFields =
        decode(readFile(magnum / "r8unorm-3d-zero-fields-zero-depth-zero-mips.dds"));
    ASSERT_TRUE(zeroFields);
    EXPECT_EQ(zeroFields->pixels[0], 0xFFDE0000u);
    EXPECT_EQ(zeroFields->pixels[5], 0xFFEF0000u);
    for (const char* name : {"bgr8unorm.dds", "dxt1.dds"}) {
        std::string data = readFile(magnum / name);
        TextureSlot plain = decode(data);
        data.replace(4, 4, std::string("\0\0\0\0", 4));
        data.replace(76, 4, std::string("\x18\0\0\0", 4));
        TextureSlot patched = decode(data);
        ASSERT_TRUE(plain);
        ASSERT_TRUE(patched) << name;
        EXPECT_TRUE(patched->pixels == plain->pixels) << name;
    }
}

// A JPEG file written by libjpeg's encoder: a smooth colour (or grey) picture.
std::string encodeJpeg(int width, int height, bool grey, bool progressive) {
    const int components = grey ? 1 : 3;
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * height * components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                samples[(static_cast<std::size_t>(y) * width + x) * components + c] =
                    static_cast<std::uint8_t>((x * 3 + y * 2 + c * 60) % 256);
            }
        }
    }
    return test::encodeJpeg(samples, width, height, components,
                            {.quality = 90, .progressive = progressive});
}

TEST(ImageDecoderTest, JpegDecodesLikeAnIndependentDecoder) {
    // stb_image decodes the same files; the two inverse transforms may differ by a few levels.
    for (auto [grey, progressive] :
         {std::pair{false, false}, std::pair{false, true}, std::pair{true, false}}) {
        SCOPED_TRACE(std::string(grey ? "grey" : "colour") +
                     (progressive ? " progressive" : " baseline"));
        const std::string file = encodeJpeg(37, 21, grey, progressive);
        TextureSlot ours = decode(file);
        ASSERT_TRUE(ours);
        int w = 0, h = 0, n = 0;
        unsigned char* theirs =
            stbi_load_from_memory(bytesOf(file), static_cast<int>(file.size()), &w, &h, &n, 4);
        ASSERT_NE(theirs, nullptr);
        ASSERT_EQ(ours->width, static_cast<std::uint32_t>(w));
        ASSERT_EQ(ours->height, static_cast<std::uint32_t>(h));
        int worst = 0;
        for (int i = 0; i < w * h; ++i) {
            const std::uint32_t p = ours->pixels[static_cast<std::size_t>(i)];
            const int rgb[3] = {static_cast<int>((p >> 16) & 0xFF),
                                static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
            for (int c = 0; c < 3; ++c) {
                worst = std::max(worst, std::abs(rgb[c] - theirs[i * 4 + c]));
            }
            ASSERT_EQ(p >> 24, 0xFFu);
        }
        stbi_image_free(theirs);
        EXPECT_LE(worst, 4);
    }
}

// --- Hand-made files for the player's own rules ---

std::string le16(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

// A bottom-up bitmap with an information header; `pixels` are the rows as stored.
std::string bitmap(std::int32_t width, std::int32_t height, std::uint16_t bits,
                   const std::string& palette, std::uint32_t colours, const std::string& pixels,
                   std::uint32_t fileSize = 0) {
    std::string info = le32(40) + le32(static_cast<std::uint32_t>(width)) +
                       le32(static_cast<std::uint32_t>(height)) + le16(1) + le16(bits) + le32(0) +
                       le32(0) + le32(0) + le32(0) + le32(colours) + le32(0);
    const std::string body = info + palette + pixels;
    return "BM" + le32(fileSize != 0 ? fileSize : static_cast<std::uint32_t>(14 + body.size())) +
           le32(0) + le32(14 + 40 + static_cast<std::uint32_t>(palette.size())) + body;
}

TEST(ImageDecoderTest, ThirtyTwoBitBitmapsTakeAlphaOnlyWhenAnyPixelHasIt) {
    // Two pixels in one row: B G R X.
    const std::string opaque =
        bitmap(2, 1, 32, "", 0, std::string("\x10\x20\x30\x00\x40\x50\x60\x00", 8));
    TextureSlot texture = decode(opaque);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixels[0], 0xFF302010u);
    EXPECT_EQ(texture->pixels[1], 0xFF605040u);

    const std::string oneAlpha =
        bitmap(2, 1, 32, "", 0, std::string("\x10\x20\x30\x00\x40\x50\x60\x80", 8));
    texture = decode(oneAlpha);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixels[0] >> 24, 0u) << "a pixel with 0 there becomes transparent";
    EXPECT_EQ(texture->pixels[1], 0x80605040u);
}

TEST(ImageDecoderTest, IndexesPastASixteenColourPaletteAreOpaqueWhite) {
    std::string palette;
    for (int i = 0; i < 16; ++i) {
        palette += std::string{static_cast<char>(i), 0, 0, 0};
    }
    const std::string file = bitmap(4, 1, 8, palette, 16, std::string("\x03\x0F\x10\xFF", 4));
    TextureSlot texture = decode(file);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixels[0], 0xFF000003u);
    EXPECT_EQ(texture->pixels[1], 0xFF00000Fu);
    EXPECT_EQ(texture->pixels[2], 0xFFFFFFFFu);
    EXPECT_EQ(texture->pixels[3], 0xFFFFFFFFu);
}

TEST(ImageDecoderTest, FileSizeFieldDecidesWhetherTheBitmapReaderTakesIt) {
    const std::string pixels("\x01\x02\x03\x00", 4);
    const std::string smaller = bitmap(1, 1, 24, "", 0, pixels, 20);
    ImageInfo info;
    ASSERT_EQ(readImageInfo(bytesOf(smaller), static_cast<std::uint32_t>(smaller.size()), info),
              S_OK);
    EXPECT_EQ(info.fileFormat, ImageFormatBmp);

    // Claiming more bytes than there are: the bitmap reader refuses it, and no later reader
    // takes "BM" data for anything else.
    const std::string longer = bitmap(1, 1, 24, "", 0, pixels, 4096);
    EXPECT_EQ(readImageInfo(bytesOf(longer), static_cast<std::uint32_t>(longer.size()), info),
              E_FAIL);
    // Without its file header the same bitmap is a bare one, found last.
    const std::string bare = longer.substr(14);
    ASSERT_EQ(readImageInfo(bytesOf(bare), static_cast<std::uint32_t>(bare.size()), info), S_OK);
    EXPECT_EQ(info.fileFormat, ImageFormatDib);
}

TEST(ImageDecoderTest, GifAndEmptyFilesAreIdentifiedByNoReader) {
    const std::string gif = std::string(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00!\xF9\x04\x01\x00\x00\x00\x00,"
        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        43);
    ImageInfo info;
    EXPECT_EQ(readImageInfo(bytesOf(gif), static_cast<std::uint32_t>(gif.size()), info), E_FAIL);
    // The second chance shows it: one white pixel, opaque.
    TextureSlot picture;
    ASSERT_EQ(decodeFallbackPicture(bytesOf(gif), static_cast<std::uint32_t>(gif.size()), picture),
              S_OK);
    EXPECT_EQ(picture->width, 1u);
    EXPECT_EQ(picture->pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(readImageInfo(bytesOf(gif), 0, info), E_FAIL);
    EXPECT_EQ(readImageInfo(nullptr, 10, info), E_FAIL);
}

// GIF files from giflib's encoder, read by the second chance: the first frame in display order
// on its logical screen, in the colours of its own table when it has one.
TEST(ImageDecoderTest, GifFrameKeepsItsRowOrderPlaceAndColours) {
    std::vector<std::uint32_t> grey;
    for (std::uint32_t i = 0; i < 256; ++i) {
        grey.push_back(i * 0x010101u);
    }
    auto fallback = [](const std::string& file) {
        TextureSlot picture;
        EXPECT_EQ(
            decodeFallbackPicture(bytesOf(file), static_cast<std::uint32_t>(file.size()), picture),
            S_OK);
        return picture;
    };
    // 40x24, row y grey 10 * y.
    test::GifFrame rows{0, 0, 40, 24, false, {}, {}};
    for (int y = 0; y < 24; ++y) {
        rows.indexes.insert(rows.indexes.end(), 40, static_cast<std::uint8_t>(10 * y));
    }
    for (bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "sequential");
        rows.interlaced = interlaced;
        const std::string file = test::writeGif(40, 24, grey, 0, rows);
        ASSERT_FALSE(file.empty());
        // The file holds what we meant, as an independent decoder reads it.
        int w = 0, h = 0, n = 0;
        unsigned char* theirs =
            stbi_load_from_memory(bytesOf(file), static_cast<int>(file.size()), &w, &h, &n, 4);
        ASSERT_NE(theirs, nullptr);
        EXPECT_EQ(theirs[(23 * 40 + 5) * 4], 230);
        stbi_image_free(theirs);
        TextureSlot picture = fallback(file);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, 40u);
        ASSERT_EQ(picture->height, 24u);
        for (std::uint32_t y = 0; y < 24; ++y) {
            for (std::uint32_t x = 0; x < 40; x += 13) {
                ASSERT_EQ(picture->pixels[y * 40 + x], 0xFF000000u | (10 * y * 0x010101u))
                    << x << "," << y;
            }
        }
    }
    // An interlaced 3x5 frame at (4, 1) of a 9x7 screen, with a local table: the rest of the
    // screen takes the background colour of the global table.
    test::GifFrame part{4, 1, 3, 5, true, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
    for (int i = 0; i < 15; ++i) {
        part.indexes.push_back(static_cast<std::uint8_t>(i / 3 % 4));
    }
    TextureSlot picture = fallback(test::writeGif(9, 7, grey, 0x40, part));
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 9u);
    ASSERT_EQ(picture->height, 7u);
    const std::uint32_t local[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    for (std::uint32_t y = 0; y < 7; ++y) {
        for (std::uint32_t x = 0; x < 9; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 1 && y < 6;
            EXPECT_EQ(picture->pixels[y * 9 + x], inside ? local[(y - 1) % 4] : 0xFF404040u)
                << x << "," << y;
        }
    }
}

TEST(ImageDecoderTest, PicturesOverTheSizeLimitsAreRefusedBeforeDecoding) {
    // A header claiming 20000 x 1 pixels, and one of 9000 x 9000 (over 2^26 in all).
    for (auto [w, h] : {std::pair{20000, 1}, std::pair{9000, 9000}}) {
        const std::string file = bitmap(w, h, 24, "", 0, std::string(64, '\0'));
        ImageInfo info;
        EXPECT_EQ(readImageInfo(bytesOf(file), static_cast<std::uint32_t>(file.size()), info),
                  E_FAIL)
            << w;
    }
}

TEST(ImageDecoderTest, MaskOfAnotherSizeIsResampledToTheRequestedSize) {
    const std::string file = bitmap(2, 2, 24, "", 0,
                                    std::string("\xFF\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                                                "\xFF\xFF\xFF\x00\x00\x00\x00\x00\x00\x00\x00\x00",
                                                24)
                                        .substr(0, 16));
    TextureSlot texture;
    ASSERT_EQ(
        decodeImageToTexture(bytesOf(file), static_cast<std::uint32_t>(file.size()), 8, 6, texture),
        S_OK);
    EXPECT_EQ(texture->width, 8u);
    EXPECT_EQ(texture->height, 6u);
}

}  // namespace
}  // namespace tsuzuri
