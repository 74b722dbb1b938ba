// The image readers behind readImageInfo and decodeImageToTexture, one per file format.
// Internal to src/graphics.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/image_decoder.h"
#include "graphics/texture.h"

namespace tsuzuri {

// A decoded picture: width x height pixels 0xAARRGGBB, top row first.
struct DecodedImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelVector pixels;
};

// The bytes of a file, read with bounds checks: reads outside answer false or 0.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;

    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size && count <= size - offset;
    }
    std::uint16_t u16(std::uint64_t at) const {
        return has(at, 2) ? static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8)) : 0;
    }
    std::uint32_t u32(std::uint64_t at) const {
        return has(at, 4) ? static_cast<std::uint32_t>(data[at] | (data[at + 1] << 8) |
                                                       (data[at + 2] << 16) |
                                                       (std::uint32_t{data[at + 3]} << 24))
                          : 0;
    }
};

// Each reader: `readInfo` accepts when it can parse the header and the dimensions (filling
// the info's width, height and format fields); `decode` reads the whole first image. Both
// refuse sizes over the texture limits before allocating.
struct ImageReader {
    ImageFileFormat fileFormat;
    bool (*readInfo)(ByteView bytes, ImageInfo& info);
    bool (*decode)(ByteView bytes, DecodedImage& image);
};

bool readBmpInfo(ByteView bytes, ImageInfo& info);
bool decodeBmp(ByteView bytes, DecodedImage& image);
bool readDibInfo(ByteView bytes, ImageInfo& info);
bool decodeDib(ByteView bytes, DecodedImage& image);
// A bitmap read leniently (header sizes the strict reader refuses), for the second chance.
bool decodeBmpLenient(ByteView bytes, DecodedImage& image);
// GIF, first frame; only the second chance reads it.
bool decodeGif(ByteView bytes, DecodedImage& image);
bool readPngInfo(ByteView bytes, ImageInfo& info);
bool decodePng(ByteView bytes, DecodedImage& image);
bool readJpegInfo(ByteView bytes, ImageInfo& info);
bool decodeJpeg(ByteView bytes, DecodedImage& image);
bool readPnmInfo(ByteView bytes, ImageInfo& info);
bool decodePnm(ByteView bytes, DecodedImage& image);
bool readPfmInfo(ByteView bytes, ImageInfo& info);
bool decodePfm(ByteView bytes, DecodedImage& image);
bool readHdrInfo(ByteView bytes, ImageInfo& info);
bool decodeHdr(ByteView bytes, DecodedImage& image);
bool readDdsInfo(ByteView bytes, ImageInfo& info);
bool decodeDds(ByteView bytes, DecodedImage& image);
bool readTgaInfo(ByteView bytes, ImageInfo& info);
bool decodeTga(ByteView bytes, DecodedImage& image);

// Allocates the pixels of a width x height picture within the texture limits.
bool allocateImage(DecodedImage& image, std::uint32_t width, std::uint32_t height);
// The same without clearing the pixels, for a decoder that writes every one of them (or
// fails and drops the picture).
bool allocateImageUncleared(DecodedImage& image, std::uint32_t width, std::uint32_t height);

// A channel of `bits` bits scaled to 8 bits, rounded: (v * 255 + max / 2) / max.
inline std::uint32_t scaleToByte(std::uint32_t value, std::uint32_t bits) {
    if (bits == 0) {
        return 0;
    }
    if (bits >= 8) {
        return value >> (bits - 8);
    }
    const std::uint32_t max = (1u << bits) - 1;
    return (value * 255 + max / 2) / max;
}

// A channel given by a bit mask over a pixel value (bitmaps with bit fields, DirectDraw
// surfaces): the lowest run of set bits is the channel; an empty mask reads as 0.
struct ChannelMask {
    std::uint32_t mask = 0;
    std::uint32_t shift = 0;
    std::uint32_t bits = 0;

    explicit ChannelMask(std::uint32_t m = 0) : mask(m) {
        if (m == 0) {
            return;
        }
        while (((m >> shift) & 1) == 0) {
            ++shift;
        }
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1) != 0) {
            ++bits;
        }
    }
    // The channel of `pixel` scaled to 8 bits.
    std::uint32_t extract(std::uint32_t pixel) const {
        return mask == 0 ? 0 : scaleToByte((pixel & mask) >> shift, bits);
    }
};

// The four channel masks of a pixel layout.
struct PixelMasks {
    ChannelMask red, green, blue, alpha;

    // Alpha 255 when the layout has no alpha mask.
    std::uint32_t alphaOf(std::uint32_t pixel) const {
        return alpha.mask != 0 ? alpha.extract(pixel) : 255;
    }
    std::uint32_t argb(std::uint32_t pixel) const {
        return (alphaOf(pixel) << 24) | (red.extract(pixel) << 16) | (green.extract(pixel) << 8) |
               blue.extract(pixel);
    }
};

}  // namespace tsuzuri
