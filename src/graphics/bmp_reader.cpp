// Windows bitmaps, with their 14-byte file header or without (a bare device-independent
// bitmap): core and information headers, 1/4/8/16/24/32 bits, run-length compression and
// bit-field masks.
#include <algorithm>
#include <cstdlib>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

struct BitmapHeader {
    std::uint32_t headerSize = 0;
    std::uint32_t width = 0;
    std::uint32_t rows = 0;
    bool topDown = false;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = Rgb;
    std::uint32_t paletteEntries = 0;
    std::uint32_t paletteEntryBytes = 4;
    PixelMasks masks;
    bool hasMasks = false;
    std::uint64_t paletteOffset = 0;  // from the start of the header
    std::uint64_t pixelOffset = 0;
};

bool isAllowedBitCount(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads the header of the bitmap that starts at `dib`. `lenient` also takes bit fields with a
// 40-byte header (masks right after it) and header sizes 13 to 39 read as information headers.
bool parseHeader(ByteView bytes, std::uint64_t dib, bool lenient, BitmapHeader& h) {
    if (!bytes.has(dib, 4)) {
        return false;
    }
    h.headerSize = bytes.u32(dib);
    if (h.headerSize == 12) {
        if (!bytes.has(dib, 12)) {
            return false;
        }
        h.width = bytes.u16(dib + 4);
        h.rows = bytes.u16(dib + 6);
        if (bytes.u16(dib + 8) != 1) {
            return false;
        }
        h.bitCount = bytes.u16(dib + 10);
        h.paletteEntryBytes = 3;
    } else if (h.headerSize >= 40 || (lenient && h.headerSize >= 16)) {
        const std::uint64_t readable = std::max<std::uint32_t>(h.headerSize, 40);
        if (!bytes.has(dib, std::min<std::uint64_t>(readable, 40))) {
            return false;
        }
        const auto width = static_cast<std::int32_t>(bytes.u32(dib + 4));
        const auto height = static_cast<std::int32_t>(bytes.u32(dib + 8));
        if (width <= 0 || height == 0 || height == INT32_MIN || bytes.u16(dib + 12) != 1) {
            return false;
        }
        h.width = static_cast<std::uint32_t>(width);
        h.rows = static_cast<std::uint32_t>(std::abs(height));
        h.topDown = height < 0;
        h.bitCount = bytes.u16(dib + 14);
        h.compression = h.headerSize >= 20 ? bytes.u32(dib + 16) : Rgb;
        h.paletteEntries = h.headerSize >= 36 ? bytes.u32(dib + 32) : 0;
    } else {
        return false;  // header sizes 13 to 39 are no known layout
    }
    if (h.width == 0 || h.rows == 0 || !isAllowedBitCount(h.bitCount)) {
        return false;
    }
    if (h.compression == BitFields) {
        std::uint64_t masksAt = dib + 40;
        if (h.headerSize < 52) {
            if (!lenient || h.headerSize != 40) {
                return false;
            }
            masksAt = dib + 40;  // a 40-byte header with the masks following it
        }
        if ((h.bitCount != 16 && h.bitCount != 32) || !bytes.has(masksAt, 12)) {
            return false;
        }
        h.masks.red = ChannelMask(bytes.u32(masksAt));
        h.masks.green = ChannelMask(bytes.u32(masksAt + 4));
        h.masks.blue = ChannelMask(bytes.u32(masksAt + 8));
        if (h.headerSize >= 56 && bytes.has(dib + 52, 4)) {
            h.masks.alpha = ChannelMask(bytes.u32(dib + 52));
        }
        h.hasMasks = true;
    } else if (h.compression == Rle8) {
        if (h.bitCount != 8) {
            return false;
        }
    } else if (h.compression == Rle4) {
        if (h.bitCount != 4) {
            return false;
        }
    } else if (h.compression != Rgb) {
        return false;
    }
    // The palette: the count the header gives, or for 1, 4 and 8 bits every index when it
    // gives none. True-colour pictures have none unless the header says so.
    if (h.paletteEntries == 0 && h.bitCount <= 8) {
        h.paletteEntries = 1u << h.bitCount;
    }
    std::uint64_t afterHeader = dib + h.headerSize;
    if (lenient && h.compression == BitFields && h.headerSize == 40) {
        afterHeader += 12;
    }
    h.paletteOffset = afterHeader;
    h.pixelOffset = afterHeader + std::uint64_t{h.paletteEntries} * h.paletteEntryBytes;
    return h.pixelOffset <= bytes.size;
}

std::uint64_t rowBytes(const BitmapHeader& h) {
    return ((std::uint64_t{h.width} * h.bitCount + 31) / 32) * 4;
}

bool fitsLimits(const BitmapHeader& h) {
    return isTextureSizeAllowed(h.width, h.rows);
}

// The display row (top first) that stored row `stored` is.
std::uint32_t displayRow(const BitmapHeader& h, std::uint32_t stored) {
    return h.topDown ? stored : h.rows - 1 - stored;
}

void readPalette(ByteView bytes, const BitmapHeader& h, std::uint32_t palette[256]) {
    std::fill(palette, palette + 256, kOpaqueWhite);
    const std::uint32_t count = std::min<std::uint32_t>(h.paletteEntries, 256);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = h.paletteOffset + std::uint64_t{i} * h.paletteEntryBytes;
        palette[i] = 0xFF000000u | (std::uint32_t{bytes.data[at + 2]} << 16) |
                     (std::uint32_t{bytes.data[at + 1]} << 8) | bytes.data[at];
    }
}

bool decodeUncompressed(ByteView bytes, const BitmapHeader& h, DecodedImage& image) {
    const std::uint64_t stride = rowBytes(h);
    if (!bytes.has(h.pixelOffset, stride * h.rows)) {
        return false;
    }
    std::uint32_t palette[256];
    readPalette(bytes, h, palette);
    bool anyAlpha = false;
    for (std::uint32_t stored = 0; stored < h.rows; ++stored) {
        const std::uint8_t* row = bytes.data + h.pixelOffset + stride * stored;
        std::uint32_t* out = image.pixels.data() + std::uint64_t{displayRow(h, stored)} * h.width;
        for (std::uint32_t x = 0; x < h.width; ++x) {
            std::uint32_t pixel = 0;
            switch (h.bitCount) {
                case 1:
                    pixel = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    pixel = palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
                    break;
                case 8:
                    pixel = palette[row[x]];
                    break;
                case 16: {
                    const std::uint32_t v = row[x * 2] | (row[x * 2 + 1] << 8);
                    if (h.hasMasks) {
                        pixel = h.masks.argb(v);
                    } else {
                        pixel = 0xFF000000u | (scaleToByte((v >> 10) & 31, 5) << 16) |
                                (scaleToByte((v >> 5) & 31, 5) << 8) | scaleToByte(v & 31, 5);
                    }
                    break;
                }
                case 24:
                    pixel = 0xFF000000u | (std::uint32_t{row[x * 3 + 2]} << 16) |
                            (std::uint32_t{row[x * 3 + 1]} << 8) | row[x * 3];
                    break;
                case 32: {
                    const std::uint32_t v = row[x * 4] | (row[x * 4 + 1] << 8) |
                                            (row[x * 4 + 2] << 16) |
                                            (std::uint32_t{row[x * 4 + 3]} << 24);
                    if (h.hasMasks) {
                        pixel = h.masks.argb(v);
                    } else {
                        pixel = v;  // the fourth byte decided below
                        anyAlpha = anyAlpha || (v >> 24) != 0;
                    }
                    break;
                }
            }
            out[x] = pixel;
        }
    }
    // Plain 32-bit pixels: opaque when every fourth byte is 0, else the fourth bytes are alpha.
    if (h.bitCount == 32 && !h.hasMasks && !anyAlpha) {
        for (std::uint32_t& pixel : image.pixels) {
            pixel |= 0xFF000000u;
        }
    }
    return true;
}

// Run-length data: pairs (count, index) and escapes (0, 0 end of line; 0, 1 end of bitmap;
// 0, 2 dx dy move; 0, n n literal indexes, padded to a 16-bit boundary). Pixels the data
// leaves out keep palette entry 0; pixels placed outside the picture are dropped.
bool decodeRle(ByteView bytes, const BitmapHeader& h, DecodedImage& image) {
    std::uint32_t palette[256];
    readPalette(bytes, h, palette);
    std::fill(image.pixels.begin(), image.pixels.end(), palette[0]);
    const bool four = h.compression == Rle4;
    std::uint64_t at = h.pixelOffset;
    std::uint64_t x = 0;
    std::uint64_t stored = 0;
    auto put = [&](std::uint32_t index) {
        if (x < h.width && stored < h.rows) {
            image
                .pixels[std::uint64_t{displayRow(h, static_cast<std::uint32_t>(stored))} * h.width +
                        x] = palette[index & 0xFF];
        }
        ++x;
    };
    while (bytes.has(at, 2) && stored < h.rows) {
        const std::uint8_t count = bytes.data[at];
        const std::uint8_t value = bytes.data[at + 1];
        at += 2;
        if (count > 0) {
            for (std::uint32_t i = 0; i < count; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value);
            }
            continue;
        }
        if (value == 0) {
            x = 0;
            ++stored;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (!bytes.has(at, 2)) {
                return false;
            }
            x += bytes.data[at];
            stored += bytes.data[at + 1];
            at += 2;
        } else {
            const std::uint64_t literalBytes = four ? (value + 1) / 2 : value;
            if (!bytes.has(at, literalBytes)) {
                return false;
            }
            for (std::uint32_t i = 0; i < value; ++i) {
                const std::uint8_t byte = bytes.data[at + (four ? i / 2 : i)];
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0xF) : byte);
            }
            at += literalBytes + (literalBytes & 1);
        }
    }
    return true;  // data that ends without its end-of-bitmap mark: what was there is shown
}

bool decodeFrom(ByteView bytes, std::uint64_t dib, bool lenient, DecodedImage& image) {
    BitmapHeader h;
    if (!parseHeader(bytes, dib, lenient, h) || !fitsLimits(h) ||
        !allocateImage(image, h.width, h.rows)) {
        return false;
    }
    if (h.compression == Rle8 || h.compression == Rle4) {
        return decodeRle(bytes, h, image);
    }
    return decodeUncompressed(bytes, h, image);
}

bool infoFrom(ByteView bytes, std::uint64_t dib, ImageInfo& info) {
    BitmapHeader h;
    if (!parseHeader(bytes, dib, false, h) || !fitsLimits(h)) {
        return false;
    }
    info.width = h.width;
    info.height = h.rows;
    info.format = h.bitCount;
    return true;
}

// "BM", and a file size field no larger than the data.
bool hasFileHeader(ByteView bytes) {
    return bytes.size >= kFileHeaderBytes && bytes.data[0] == 'B' && bytes.data[1] == 'M' &&
           bytes.u32(2) <= bytes.size;
}

}  // namespace

bool readBmpInfo(ByteView bytes, ImageInfo& info) {
    return hasFileHeader(bytes) && infoFrom(bytes, kFileHeaderBytes, info);
}

bool decodeBmp(ByteView bytes, DecodedImage& image) {
    return hasFileHeader(bytes) && decodeFrom(bytes, kFileHeaderBytes, false, image);
}

bool readDibInfo(ByteView bytes, ImageInfo& info) {
    return infoFrom(bytes, 0, info);
}

bool decodeDib(ByteView bytes, DecodedImage& image) {
    return decodeFrom(bytes, 0, false, image);
}

bool decodeBmpLenient(ByteView bytes, DecodedImage& image) {
    if (bytes.size < kFileHeaderBytes || bytes.data[0] != 'B' || bytes.data[1] != 'M') {
        return false;
    }
    return decodeFrom(bytes, kFileHeaderBytes, true, image);
}

}  // namespace tsuzuri
