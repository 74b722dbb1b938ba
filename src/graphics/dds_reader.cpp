// DirectDraw surfaces: the first image of the file (level 0, first face or slice), in an
// uncompressed layout described by bit masks (RGB, luminance, alpha) or compressed as DXT1,
// DXT3 or DXT5, also behind the extended (DX10) header for the matching formats.
#include <cstring>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kHeaderBytes = 128;  // "DDS " and the 124-byte header
constexpr std::uint32_t kExtendedHeaderBytes = 20;

constexpr std::uint32_t kAlphaPixels = 0x1;
constexpr std::uint32_t kAlphaOnly = 0x2;
constexpr std::uint32_t kFourCc = 0x4;
constexpr std::uint32_t kRgb = 0x40;
constexpr std::uint32_t kLuminance = 0x20000;

constexpr std::uint32_t fourCc(const char (&code)[5]) {
    return std::uint32_t(std::uint8_t(code[0])) | (std::uint32_t(std::uint8_t(code[1])) << 8) |
           (std::uint32_t(std::uint8_t(code[2])) << 16) |
           (std::uint32_t(std::uint8_t(code[3])) << 24);
}

// How the pixels are stored; readDdsInfo reports it as the format code.
enum class Layout { Masks, Dxt1, Dxt3, Dxt5 };

// What the masks of an uncompressed pixel give.
enum class Channels { Colour, Luminance, AlphaOnly };

struct DdsHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Layout layout = Layout::Masks;
    Channels channels = Channels::Colour;
    std::uint32_t bitCount = 0;
    PixelMasks masks;
    std::uint64_t dataAt = kHeaderBytes;
};

// The compressed formats named by a FourCC code; DXT2 and DXT4 are read as DXT3 and DXT5.
struct FourCcFormat {
    std::uint32_t code;
    Layout layout;
};
constexpr FourCcFormat kFourCcFormats[] = {
    {fourCc("DXT1"), Layout::Dxt1}, {fourCc("DXT2"), Layout::Dxt3}, {fourCc("DXT3"), Layout::Dxt3},
    {fourCc("DXT4"), Layout::Dxt5}, {fourCc("DXT5"), Layout::Dxt5},
};

struct Masks32 {
    std::uint32_t red, green, blue, alpha;
};
constexpr Masks32 kNoMasks{0, 0, 0, 0};
constexpr Masks32 kRgba{0xFF, 0xFF00, 0xFF0000, 0xFF000000};
constexpr Masks32 kBgra{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
constexpr Masks32 kBgrx{0xFF0000, 0xFF00, 0xFF, 0};

// The formats of the extended header, by their format number: 32-bit pixels with their masks
// (stored values taken as they are, also in the sRGB variants) or a compressed layout.
struct ExtendedFormat {
    std::uint32_t number;
    Layout layout;
    Masks32 masks;
};
constexpr ExtendedFormat kExtendedFormats[] = {
    {28, Layout::Masks, kRgba},   {29, Layout::Masks, kRgba},    // R8G8B8A8
    {87, Layout::Masks, kBgra},   {91, Layout::Masks, kBgra},    // B8G8R8A8
    {88, Layout::Masks, kBgrx},   {93, Layout::Masks, kBgrx},    // B8G8R8X8
    {71, Layout::Dxt1, kNoMasks}, {72, Layout::Dxt1, kNoMasks},  // BC1
    {74, Layout::Dxt3, kNoMasks}, {75, Layout::Dxt3, kNoMasks},  // BC2
    {77, Layout::Dxt5, kNoMasks}, {78, Layout::Dxt5, kNoMasks},  // BC3
};

// Uncompressed pixels, told apart by the first of these flags the header sets: what their
// masks give, and the largest pixel size that layout takes.
struct UncompressedFormat {
    std::uint32_t flag;
    Channels channels;
    std::uint32_t maxBits;
};
constexpr UncompressedFormat kUncompressedFormats[] = {
    {kLuminance, Channels::Luminance, 16},
    {kRgb, Channels::Colour, 32},
    {kAlphaOnly, Channels::AlphaOnly, 32},
};

// The signature, the size and the kind of surface. The signature and the full header's length
// identify the file; the header's own size fields (124 and 32) are not checked, as some
// writers leave them 0: the layout is fixed anyway.
bool readSurface(ByteView bytes, DdsHeader& h) {
    if (bytes.size < kHeaderBytes || std::memcmp(bytes.data, "DDS ", 4) != 0) {
        return false;
    }
    h.height = bytes.u32(12);
    h.width = bytes.u32(16);
    if (!isTextureSizeAllowed(h.width, h.height)) {
        return false;
    }
    // A cube map cannot also be a volume, and only a volume has depth.
    constexpr std::uint32_t kCubeMap = 0x200, kVolume = 0x200000;
    const std::uint32_t caps2 = bytes.u32(112);
    const bool cubeVolume = (caps2 & kCubeMap) && (caps2 & kVolume);
    const bool flatWithDepth = bytes.u32(24) > 1 && !(caps2 & kVolume);
    return !cubeVolume && !flatWithDepth;
}

bool readExtendedFormat(ByteView bytes, DdsHeader& h) {
    if (!bytes.has(kHeaderBytes, kExtendedHeaderBytes) || bytes.u32(kHeaderBytes + 4) != 3) {
        return false;  // only flat two-dimensional textures
    }
    h.dataAt = kHeaderBytes + kExtendedHeaderBytes;
    const std::uint32_t number = bytes.u32(kHeaderBytes);
    for (const ExtendedFormat& format : kExtendedFormats) {
        if (format.number == number) {
            h.layout = format.layout;
            if (format.layout == Layout::Masks) {
                h.bitCount = 32;
                h.masks =
                    PixelMasks{ChannelMask(format.masks.red), ChannelMask(format.masks.green),
                               ChannelMask(format.masks.blue), ChannelMask(format.masks.alpha)};
            }
            return true;
        }
    }
    return false;
}

bool readFourCcFormat(ByteView bytes, std::uint32_t code, DdsHeader& h) {
    if (code == fourCc("DX10")) {
        return readExtendedFormat(bytes, h);
    }
    for (const FourCcFormat& format : kFourCcFormats) {
        if (format.code == code) {
            h.layout = format.layout;
            return true;
        }
    }
    return false;
}

bool readUncompressedFormat(ByteView bytes, std::uint32_t flags, DdsHeader& h) {
    h.bitCount = bytes.u32(88);
    if (h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32) {
        return false;
    }
    const UncompressedFormat* found = nullptr;
    for (const UncompressedFormat& format : kUncompressedFormats) {
        if (flags & format.flag) {
            found = &format;
            break;
        }
    }
    if (found == nullptr || h.bitCount > found->maxBits) {
        return false;  // palettes and other layouts are not read
    }
    h.channels = found->channels;
    // Mask bits beyond the pixel's size mean nothing (some writers put an 8-bit luminance
    // mask in the top byte); a luminance or alpha mask left empty takes its usual place.
    const std::uint32_t pixelBits = h.bitCount == 32 ? 0xFFFFFFFFu : (1u << h.bitCount) - 1;
    std::uint32_t red = bytes.u32(92) & pixelBits;
    std::uint32_t alpha = bytes.u32(104) & pixelBits;
    if ((flags & kLuminance) && red == 0) {
        red = 0xFF;
    }
    if ((flags & (kAlphaPixels | kAlphaOnly)) && alpha == 0) {
        alpha = h.bitCount == 8 ? 0xFF : 0xFF00;
    }
    h.masks.red = ChannelMask(red);
    h.masks.green = ChannelMask(bytes.u32(96) & pixelBits);
    h.masks.blue = ChannelMask(bytes.u32(100) & pixelBits);
    if (flags & (kAlphaPixels | kAlphaOnly)) {
        h.masks.alpha = ChannelMask(alpha);
    }
    return true;
}

bool parseHeader(ByteView bytes, DdsHeader& h) {
    if (!readSurface(bytes, h)) {
        return false;
    }
    const std::uint32_t flags = bytes.u32(80);
    if (flags & kFourCc) {
        return readFourCcFormat(bytes, bytes.u32(84), h);
    }
    return readUncompressedFormat(bytes, flags, h);
}

std::uint32_t blockBytes(Layout layout) {
    return layout == Layout::Dxt1 ? 8 : 16;
}

std::uint64_t imageBytes(const DdsHeader& h) {
    if (h.layout == Layout::Masks) {
        return std::uint64_t{h.width} * h.height * (h.bitCount / 8);
    }
    const std::uint64_t blocks = std::uint64_t{(h.width + 3) / 4} * ((h.height + 3) / 4);
    return blocks * blockBytes(h.layout);
}

// A 5-6-5 colour expanded by repeating its top bits.
void expand565(std::uint32_t c, std::uint32_t rgb[3]) {
    const std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    rgb[0] = (r << 3) | (r >> 2);
    rgb[1] = (g << 2) | (g >> 4);
    rgb[2] = (b << 3) | (b >> 2);
}

std::uint32_t argb(std::uint32_t a, const std::uint32_t rgb[3]) {
    return (a << 24) | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
}

// The 16 colours of a colour block; `threeColour` allows DXT1's 3-colour + transparent mode.
void colourBlock(const std::uint8_t* p, bool threeColour, std::uint32_t out[16]) {
    const std::uint32_t c0 = p[0] | (p[1] << 8), c1 = p[2] | (p[3] << 8);
    std::uint32_t palette[4][3];
    expand565(c0, palette[0]);
    expand565(c1, palette[1]);
    bool transparent = false;
    for (int k = 0; k < 3; ++k) {
        if (!threeColour || c0 > c1) {
            palette[2][k] = (2 * palette[0][k] + palette[1][k]) / 3;
            palette[3][k] = (palette[0][k] + 2 * palette[1][k]) / 3;
        } else {
            palette[2][k] = (palette[0][k] + palette[1][k]) / 2;
            palette[3][k] = 0;
            transparent = true;
        }
    }
    const std::uint32_t indexes = p[4] | (p[5] << 8) | (p[6] << 16) | (std::uint32_t{p[7]} << 24);
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t index = (indexes >> (2 * i)) & 3;
        out[i] = argb(transparent && index == 3 ? 0 : 255, palette[index]);
    }
}

// DXT3 alpha: 4 bits a pixel.
void explicitAlphas(const std::uint8_t* block, std::uint32_t out[16]) {
    for (int i = 0; i < 16; ++i) {
        out[i] = ((block[i / 2] >> (4 * (i % 2))) & 0xF) * 17;
    }
}

// DXT5 alpha: two end levels with six levels between them, or (when the first is not above
// the second) four between them and 0 and 255; a 3-bit level index a pixel.
void interpolatedAlphas(const std::uint8_t* block, std::uint32_t out[16]) {
    const std::uint32_t a0 = block[0], a1 = block[1];
    std::uint32_t levels[8] = {a0, a1};
    for (std::uint32_t i = 1; i <= (a0 > a1 ? 6u : 4u); ++i) {
        const std::uint32_t steps = a0 > a1 ? 7 : 5;
        levels[1 + i] = ((steps - i) * a0 + i * a1) / steps;
    }
    if (a0 <= a1) {
        levels[6] = 0;
        levels[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int k = 0; k < 6; ++k) {
        bits |= std::uint64_t{block[2 + k]} << (8 * k);
    }
    for (int i = 0; i < 16; ++i) {
        out[i] = levels[(bits >> (3 * i)) & 7];
    }
}

// The 16 pixels of a compressed block, row by row.
void decodeBlock(Layout layout, const std::uint8_t* block, std::uint32_t out[16]) {
    if (layout == Layout::Dxt1) {
        colourBlock(block, true, out);
        return;
    }
    colourBlock(block + 8, false, out);
    std::uint32_t alphas[16];
    if (layout == Layout::Dxt3) {
        explicitAlphas(block, alphas);
    } else {
        interpolatedAlphas(block, alphas);
    }
    for (int i = 0; i < 16; ++i) {
        out[i] = (out[i] & 0x00FFFFFFu) | (alphas[i] << 24);
    }
}

void decodeBlocks(const DdsHeader& h, const std::uint8_t* data, DecodedImage& image) {
    const std::uint32_t blocksWide = (h.width + 3) / 4;
    const std::uint32_t bytesPerBlock = blockBytes(h.layout);
    for (std::uint32_t by = 0; by < (h.height + 3) / 4; ++by) {
        for (std::uint32_t bx = 0; bx < blocksWide; ++bx) {
            std::uint32_t pixels[16];
            decodeBlock(h.layout, data + (std::uint64_t{by} * blocksWide + bx) * bytesPerBlock,
                        pixels);
            for (int i = 0; i < 16; ++i) {
                const std::uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < h.width && y < h.height) {
                    image.pixels[std::uint64_t{y} * h.width + x] = pixels[i];
                }
            }
        }
    }
}

// Pixels of 1 to 4 bytes, least significant first, read through the masks.
void decodeUncompressed(const DdsHeader& h, const std::uint8_t* data, DecodedImage& image) {
    const std::uint32_t pixelBytes = h.bitCount / 8;
    const Channels channels = h.channels;
    const PixelMasks masks = h.masks;
    for (std::uint64_t i = 0; i < image.pixels.size(); ++i) {
        std::uint32_t v = 0;
        for (std::uint32_t k = 0; k < pixelBytes; ++k) {
            v |= std::uint32_t{data[i * pixelBytes + k]} << (8 * k);
        }
        if (channels == Channels::AlphaOnly) {
            image.pixels[i] = masks.alphaOf(v) << 24;
        } else if (channels == Channels::Luminance) {
            const std::uint32_t l = masks.red.extract(v);
            image.pixels[i] = (masks.alphaOf(v) << 24) | (l << 16) | (l << 8) | l;
        } else {
            image.pixels[i] = masks.argb(v);
        }
    }
}

}  // namespace

bool readDdsInfo(ByteView bytes, ImageInfo& info) {
    DdsHeader h;
    if (!parseHeader(bytes, h)) {
        return false;
    }
    info.width = h.width;
    info.height = h.height;
    info.format = static_cast<std::uint32_t>(h.layout);
    const std::uint32_t mips = bytes.u32(28);
    info.mipLevels = mips == 0 ? 1 : mips;
    return true;
}

bool decodeDds(ByteView bytes, DecodedImage& image) {
    DdsHeader h;
    if (!parseHeader(bytes, h) || !bytes.has(h.dataAt, imageBytes(h)) ||
        !allocateImage(image, h.width, h.height)) {
        return false;
    }
    const std::uint8_t* data = bytes.data + h.dataAt;
    if (h.layout == Layout::Masks) {
        decodeUncompressed(h, data, image);
    } else {
        decodeBlocks(h, data, image);
    }
    return true;
}

}  // namespace tsuzuri
