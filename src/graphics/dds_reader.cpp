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

enum class Layout { Masks, Dxt1, Dxt3, Dxt5 };

struct DdsHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Layout layout = Layout::Masks;
    std::uint32_t flags = 0;
    std::uint32_t bitCount = 0;
    PixelMasks masks;
    std::uint64_t dataAt = kHeaderBytes;
};

// The signature and the full header's length identify the file; the header's own size fields
// (124 and 32) are not checked, as some writers leave them 0: the layout is fixed anyway.
bool parseHeader(ByteView bytes, DdsHeader& h) {
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
    if (((caps2 & kCubeMap) && (caps2 & kVolume)) || (bytes.u32(24) > 1 && !(caps2 & kVolume))) {
        return false;
    }
    h.flags = bytes.u32(80);
    const std::uint32_t code = bytes.u32(84);
    if (h.flags & kFourCc) {
        if (code == fourCc("DXT1")) {
            h.layout = Layout::Dxt1;
        } else if (code == fourCc("DXT2") || code == fourCc("DXT3")) {
            h.layout = Layout::Dxt3;
        } else if (code == fourCc("DXT4") || code == fourCc("DXT5")) {
            h.layout = Layout::Dxt5;
        } else if (code == fourCc("DX10")) {
            if (!bytes.has(kHeaderBytes, kExtendedHeaderBytes) ||
                bytes.u32(kHeaderBytes + 4) != 3) {
                return false;  // only flat two-dimensional textures
            }
            h.dataAt = kHeaderBytes + kExtendedHeaderBytes;
            switch (bytes.u32(kHeaderBytes)) {
                case 28:  // R8G8B8A8, stored values taken as they are (also the sRGB variant)
                case 29:
                    h.bitCount = 32;
                    h.masks.red = ChannelMask(0xFF);
                    h.masks.green = ChannelMask(0xFF00);
                    h.masks.blue = ChannelMask(0xFF0000);
                    h.masks.alpha = ChannelMask(0xFF000000);
                    h.flags = kRgb | kAlphaPixels;
                    break;
                case 87:  // B8G8R8A8
                case 91:
                    h.bitCount = 32;
                    h.masks.red = ChannelMask(0xFF0000);
                    h.masks.green = ChannelMask(0xFF00);
                    h.masks.blue = ChannelMask(0xFF);
                    h.masks.alpha = ChannelMask(0xFF000000);
                    h.flags = kRgb | kAlphaPixels;
                    break;
                case 88:  // B8G8R8X8
                case 93:
                    h.bitCount = 32;
                    h.masks.red = ChannelMask(0xFF0000);
                    h.masks.green = ChannelMask(0xFF00);
                    h.masks.blue = ChannelMask(0xFF);
                    h.flags = kRgb;
                    break;
                case 71:
                case 72:
                    h.layout = Layout::Dxt1;
                    break;
                case 74:
                case 75:
                    h.layout = Layout::Dxt3;
                    break;
                case 77:
                case 78:
                    h.layout = Layout::Dxt5;
                    break;
                default:
                    return false;
            }
            return true;
        } else {
            return false;
        }
        return true;
    }
    h.bitCount = bytes.u32(88);
    if (h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 && h.bitCount != 32) {
        return false;
    }
    if ((h.flags & (kRgb | kLuminance | kAlphaOnly)) == 0) {
        return false;  // palettes and other layouts are not read
    }
    if ((h.flags & kLuminance) && h.bitCount > 16) {
        return false;
    }
    // Mask bits beyond the pixel's size mean nothing (some writers put an 8-bit luminance
    // mask in the top byte); a luminance or alpha mask left empty takes its usual place.
    const std::uint32_t pixelBits = h.bitCount == 32 ? 0xFFFFFFFFu : (1u << h.bitCount) - 1;
    std::uint32_t red = bytes.u32(92) & pixelBits;
    std::uint32_t alpha = bytes.u32(104) & pixelBits;
    if ((h.flags & kLuminance) && red == 0) {
        red = 0xFF;
    }
    if ((h.flags & (kAlphaPixels | kAlphaOnly)) && alpha == 0) {
        alpha = h.bitCount == 8 ? 0xFF : 0xFF00;
    }
    h.masks.red = ChannelMask(red);
    h.masks.green = ChannelMask(bytes.u32(96) & pixelBits);
    h.masks.blue = ChannelMask(bytes.u32(100) & pixelBits);
    if (h.flags & (kAlphaPixels | kAlphaOnly)) {
        h.masks.alpha = ChannelMask(alpha);
    }
    return true;
}

std::uint64_t imageBytes(const DdsHeader& h) {
    if (h.layout == Layout::Masks) {
        return std::uint64_t{h.width} * h.height * (h.bitCount / 8);
    }
    const std::uint64_t blocks = std::uint64_t{(h.width + 3) / 4} * ((h.height + 3) / 4);
    return blocks * (h.layout == Layout::Dxt1 ? 8 : 16);
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
        const std::uint32_t pixelBytes = h.bitCount / 8;
        const bool luminance = (h.flags & kLuminance) != 0;
        const bool alphaOnly = (h.flags & kAlphaOnly) != 0 && (h.flags & (kRgb | kLuminance)) == 0;
        for (std::uint64_t i = 0; i < image.pixels.size(); ++i) {
            std::uint32_t v = 0;
            for (std::uint32_t k = 0; k < pixelBytes; ++k) {
                v |= std::uint32_t{data[i * pixelBytes + k]} << (8 * k);
            }
            if (alphaOnly) {
                image.pixels[i] = h.masks.alphaOf(v) << 24;
            } else if (luminance) {
                const std::uint32_t l = h.masks.red.extract(v);
                image.pixels[i] = (h.masks.alphaOf(v) << 24) | (l << 16) | (l << 8) | l;
            } else {
                image.pixels[i] = h.masks.argb(v);
            }
        }
        return true;
    }
    const std::uint32_t blocksWide = (h.width + 3) / 4;
    const std::uint32_t blockBytes = h.layout == Layout::Dxt1 ? 8 : 16;
    for (std::uint32_t by = 0; by < (h.height + 3) / 4; ++by) {
        for (std::uint32_t bx = 0; bx < blocksWide; ++bx) {
            const std::uint8_t* block = data + (std::uint64_t{by} * blocksWide + bx) * blockBytes;
            std::uint32_t colours[16];
            colourBlock(h.layout == Layout::Dxt1 ? block : block + 8, h.layout == Layout::Dxt1,
                        colours);
            std::uint32_t alphas[16];
            if (h.layout == Layout::Dxt3) {
                for (int i = 0; i < 16; ++i) {
                    alphas[i] = ((block[i / 2] >> (4 * (i % 2))) & 0xF) * 17;
                }
            } else if (h.layout == Layout::Dxt5) {
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
                    alphas[i] = levels[(bits >> (3 * i)) & 7];
                }
            }
            for (int i = 0; i < 16; ++i) {
                const std::uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= h.width || y >= h.height) {
                    continue;
                }
                std::uint32_t pixel = colours[i];
                if (h.layout != Layout::Dxt1) {
                    pixel = (pixel & 0x00FFFFFFu) | (alphas[i] << 24);
                }
                image.pixels[std::uint64_t{y} * h.width + x] = pixel;
            }
        }
    }
    return true;
}

}  // namespace tsuzuri
