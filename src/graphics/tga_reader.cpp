// Truevision Targa: colour-mapped, true-colour (15, 16, 24, 32 bits) and greyscale, raw or
// run-length encoded, with either origin. The format has no signature, so the header is
// judged strictly: a file that is not a Targa picture must not pass for one.
#include <algorithm>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kHeaderBytes = 18;

struct TgaHeader {
    std::uint32_t idLength = 0;
    std::uint32_t colorMapType = 0;
    std::uint32_t imageType = 0;
    std::uint32_t mapFirst = 0;
    std::uint32_t mapLength = 0;
    std::uint32_t mapEntryBits = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    std::uint32_t descriptor = 0;

    bool colorMapped() const { return imageType == 1 || imageType == 9; }
    bool grey() const { return imageType == 3 || imageType == 11; }
    bool compressed() const { return imageType >= 9; }
    std::uint32_t alphaBits() const { return descriptor & 0x0F; }
    std::uint64_t mapBytes() const { return std::uint64_t{mapLength} * ((mapEntryBits + 7) / 8); }
    std::uint64_t dataOffset() const { return kHeaderBytes + idLength + mapBytes(); }
};

bool parseHeader(ByteView bytes, TgaHeader& h) {
    if (bytes.size < kHeaderBytes) {
        return false;
    }
    const std::uint8_t* d = bytes.data;
    h.idLength = d[0];
    h.colorMapType = d[1];
    h.imageType = d[2];
    h.mapFirst = bytes.u16(3);
    h.mapLength = bytes.u16(5);
    h.mapEntryBits = d[7];
    h.width = bytes.u16(12);
    h.height = bytes.u16(14);
    h.depth = d[16];
    h.descriptor = d[17];
    const bool knownType = h.imageType == 1 || h.imageType == 2 || h.imageType == 3 ||
                           h.imageType == 9 || h.imageType == 10 || h.imageType == 11;
    if (!knownType || h.colorMapType > 1 || (h.descriptor & 0xC0) != 0 || h.width == 0 ||
        h.height == 0) {
        return false;
    }
    if (h.colorMapped()) {
        const bool entryOk = h.mapEntryBits == 15 || h.mapEntryBits == 16 || h.mapEntryBits == 24 ||
                             h.mapEntryBits == 32;
        if (h.colorMapType != 1 || !entryOk || h.mapLength == 0 ||
            (h.depth != 8 && h.depth != 16)) {
            return false;
        }
    } else if (h.colorMapType == 0) {
        if (h.mapFirst != 0 || h.mapLength != 0 || h.mapEntryBits != 0) {
            return false;  // no map, so its fields must be empty
        }
    }
    if (h.grey()) {
        if (h.depth != 8 && h.depth != 16) {
            return false;
        }
    } else if (!h.colorMapped()) {
        if (h.depth != 15 && h.depth != 16 && h.depth != 24 && h.depth != 32) {
            return false;
        }
    }
    if (h.alphaBits() > 8) {
        return false;
    }
    return bytes.has(0, h.dataOffset());
}

// A colour of `bits` bits (15/16: A1 R5 G5 B5; 24: B G R; 32: B G R A; 8 or 16 grey) as ARGB.
std::uint32_t toArgb(const std::uint8_t* p, std::uint32_t bits, bool grey, bool useAlpha) {
    if (grey) {
        const std::uint32_t v = p[0];
        const std::uint32_t a = bits == 16 && useAlpha ? p[1] : 0xFF;
        return (a << 24) | (v << 16) | (v << 8) | v;
    }
    switch (bits) {
        case 15:
        case 16: {
            const std::uint32_t v = p[0] | (p[1] << 8);
            const std::uint32_t a = bits == 16 && useAlpha ? ((v & 0x8000) ? 0xFF : 0) : 0xFF;
            return (a << 24) | (scaleToByte((v >> 10) & 31, 5) << 16) |
                   (scaleToByte((v >> 5) & 31, 5) << 8) | scaleToByte(v & 31, 5);
        }
        case 24:
            return 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        default:
            return ((useAlpha ? std::uint32_t{p[3]} : 0xFFu) << 24) | (std::uint32_t{p[2]} << 16) |
                   (std::uint32_t{p[1]} << 8) | p[0];
    }
}

// The colour map as ARGB. Alpha in a 32-bit map counts; a 16-bit map entry carries none.
std::vector<std::uint32_t> readColourMap(ByteView bytes, const TgaHeader& h) {
    std::vector<std::uint32_t> map;
    if (!h.colorMapped()) {
        return map;
    }
    const std::uint64_t entryBytes = (h.mapEntryBits + 7) / 8;
    const std::uint64_t mapAt = kHeaderBytes + h.idLength;
    map.resize(h.mapLength);
    for (std::uint32_t i = 0; i < h.mapLength; ++i) {
        map[i] = toArgb(bytes.data + mapAt + i * entryBytes, h.mapEntryBits, false,
                        h.mapEntryBits == 32);
    }
    return map;
}

// One pixel as stored, as ARGB: an index into the colour map (refused outside it) or a
// colour of its own.
struct PixelReader {
    ByteView bytes;
    const TgaHeader& h;
    const std::vector<std::uint32_t>& map;
    bool useAlpha;

    bool operator()(std::uint64_t offset, std::uint32_t& out) const {
        const std::uint8_t* p = bytes.data + offset;
        if (h.colorMapped()) {
            const std::uint32_t index = h.depth == 8 ? p[0] : (p[0] | (p[1] << 8));
            if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) {
                return false;
            }
            out = map[index - h.mapFirst];
            return true;
        }
        out = toArgb(p, h.depth, h.grey(), useAlpha);
        return true;
    }
};

std::uint32_t pixelBytes(const TgaHeader& h) {
    return (h.depth + 7) / 8;
}

std::uint64_t pixelCount(const TgaHeader& h) {
    return std::uint64_t{h.width} * h.height;
}

// Uncompressed pixels, in file order.
bool readRawPixels(const PixelReader& read, PixelVector& pixels) {
    const TgaHeader& h = read.h;
    const std::uint32_t step = pixelBytes(h);
    const std::uint64_t count = pixelCount(h);
    std::uint64_t at = h.dataOffset();
    if (!read.bytes.has(at, count * step)) {
        return false;
    }
    if (!h.colorMapped() && !h.grey() && (h.depth == 24 || h.depth == 32)) {
        // The common true-colour case in one plain loop.
        const bool alphaByte = h.depth == 32 && read.useAlpha;
        const std::uint8_t* p = read.bytes.data + at;
        for (std::uint64_t i = 0; i < count; ++i, p += step) {
            const std::uint32_t alpha = alphaByte ? p[3] : 0xFFu;
            pixels[i] =
                (alpha << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        return true;
    }
    for (std::uint64_t done = 0; done < count; ++done, at += step) {
        if (!read(at, pixels[done])) {
            return false;
        }
    }
    return true;
}

// Run-length packets, in file order: a count byte, then one pixel repeated (top bit set) or
// that many pixels. Runs past the last pixel are cut off.
bool readRunLengthPixels(const PixelReader& read, PixelVector& pixels) {
    const TgaHeader& h = read.h;
    const std::uint32_t step = pixelBytes(h);
    const std::uint64_t count = pixelCount(h);
    std::uint64_t at = h.dataOffset();
    std::uint64_t done = 0;
    while (done < count) {
        if (!read.bytes.has(at, 1)) {
            return false;
        }
        const std::uint8_t packet = read.bytes.data[at++];
        const std::uint64_t length = std::min<std::uint64_t>((packet & 0x7F) + 1, count - done);
        if (packet & 0x80) {
            std::uint32_t value = 0;
            if (!read.bytes.has(at, step) || !read(at, value)) {
                return false;
            }
            at += step;
            std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(done), length, value);
        } else {
            if (!read.bytes.has(at, length * step)) {
                return false;
            }
            for (std::uint64_t i = 0; i < length; ++i, at += step) {
                if (!read(at, pixels[done + i])) {
                    return false;
                }
            }
        }
        done += length;
    }
    return true;
}

// Pictures whose alpha is 0 everywhere carry no alpha (writers that leave the attribute bits
// unset); they are opaque, as a bitmap with the same bytes is.
void makeOpaqueWithoutAlpha(const TgaHeader& h, bool useAlpha, PixelVector& pixels) {
    if (!h.colorMapped() && (h.depth == 32 || h.depth == 16) && useAlpha &&
        std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0; })) {
        for (std::uint32_t& pixel : pixels) {
            pixel |= 0xFF000000u;
        }
    }
}

// Puts pixels read in file order in their place: descriptor bit 5 set, rows run from the top;
// bit 4 set, pixels run from the right.
void placeByOrigin(const TgaHeader& h, PixelVector& pixels) {
    const bool fromTop = (h.descriptor & 0x20) != 0;
    const bool fromRight = (h.descriptor & 0x10) != 0;
    if (!fromTop) {
        for (std::uint32_t y = 0; y < h.height / 2; ++y) {
            std::swap_ranges(pixels.begin() + std::ptrdiff_t{y} * h.width,
                             pixels.begin() + std::ptrdiff_t{y + 1} * h.width,
                             pixels.begin() + std::ptrdiff_t{h.height - 1 - y} * h.width);
        }
    }
    if (fromRight) {
        for (std::uint32_t y = 0; y < h.height; ++y) {
            std::reverse(pixels.begin() + std::ptrdiff_t{y} * h.width,
                         pixels.begin() + std::ptrdiff_t{y + 1} * h.width);
        }
    }
}

}  // namespace

bool readTgaInfo(ByteView bytes, ImageInfo& info) {
    TgaHeader h;
    if (!parseHeader(bytes, h) || !isTextureSizeAllowed(h.width, h.height)) {
        return false;
    }
    info.width = h.width;
    info.height = h.height;
    info.format = h.depth;
    return true;
}

bool decodeTga(ByteView bytes, DecodedImage& image) {
    TgaHeader h;
    if (!parseHeader(bytes, h) || !allocateImage(image, h.width, h.height)) {
        return false;
    }
    const bool useAlpha = h.alphaBits() > 0;
    const std::vector<std::uint32_t> map = readColourMap(bytes, h);
    const PixelReader read{bytes, h, map, useAlpha};
    const bool complete = h.compressed() ? readRunLengthPixels(read, image.pixels)
                                         : readRawPixels(read, image.pixels);
    if (!complete) {
        return false;
    }
    makeOpaqueWithoutAlpha(h, useAlpha, image.pixels);
    placeByOrigin(h, image.pixels);
    return true;
}

}  // namespace tsuzuri
