// Portable any-maps: P1 to P6 (plain and raw bitmaps, grey maps and pixmaps). Header fields
// are decimal numbers separated by whitespace; a comment ("#" to the end of the line) may
// stand anywhere in the header and in plain data, and is dropped as if it were not there.
#include <optional>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

bool isSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads characters, skipping comments with their line ends.
struct PnmCursor {
    ByteView bytes;
    std::uint64_t at = 0;

    std::optional<std::uint8_t> peek() {
        while (at < bytes.size && bytes.data[at] == '#') {
            while (at < bytes.size && bytes.data[at] != '\n' && bytes.data[at] != '\r') {
                ++at;
            }
            if (at < bytes.size) {
                ++at;  // the line end belongs to the comment: "12#c<LF>8" reads as 128
            }
        }
        if (at >= bytes.size) {
            return std::nullopt;
        }
        return bytes.data[at];
    }
    void skipSpace() {
        for (std::optional<std::uint8_t> c = peek(); c && isSpace(*c); c = peek()) {
            ++at;
        }
    }
    // A decimal number after optional whitespace; nothing when there is none or it overflows.
    std::optional<std::uint32_t> number(std::uint32_t limit) {
        skipSpace();
        std::uint64_t value = 0;
        int digits = 0;
        for (std::optional<std::uint8_t> c = peek(); c && *c >= '0' && *c <= '9'; c = peek()) {
            value = value * 10 + (*c - '0');
            ++digits;
            ++at;
            if (value > limit) {
                return std::nullopt;
            }
        }
        if (digits == 0) {
            return std::nullopt;
        }
        return static_cast<std::uint32_t>(value);
    }
};

struct PnmHeader {
    int kind = 0;  // 1 to 6
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t maxval = 1;
    std::uint64_t dataAt = 0;
};

bool parseHeader(ByteView bytes, PnmHeader& h) {
    if (bytes.size < 3 || bytes.data[0] != 'P' || bytes.data[1] < '1' || bytes.data[1] > '6' ||
        !isSpace(bytes.data[2])) {
        return false;
    }
    h.kind = bytes.data[1] - '0';
    PnmCursor cursor{bytes, 2};
    const std::optional<std::uint32_t> width = cursor.number(kMaxTextureSide);
    const std::optional<std::uint32_t> height = cursor.number(kMaxTextureSide);
    if (!width || !height || *width == 0 || *height == 0 ||
        !isTextureSizeAllowed(*width, *height)) {
        return false;
    }
    h.width = *width;
    h.height = *height;
    if (h.kind != 1 && h.kind != 4) {
        const std::optional<std::uint32_t> maxval = cursor.number(65535);
        if (!maxval || *maxval == 0) {
            return false;
        }
        h.maxval = *maxval;
    }
    // Exactly one whitespace character ends the header of raw data.
    if (h.kind >= 4) {
        if (cursor.at >= bytes.size || !isSpace(bytes.data[cursor.at])) {
            return false;
        }
        ++cursor.at;
    }
    h.dataAt = cursor.at;
    return true;
}

std::uint32_t toByte(std::uint32_t value, std::uint32_t maxval) {
    if (value > maxval) {
        value = maxval;  // raw samples over maxval are taken as maxval
    }
    return (value * 255 + maxval / 2) / maxval;
}

std::uint32_t grey(std::uint32_t v) {
    return 0xFF000000u | (v << 16) | (v << 8) | v;
}

}  // namespace

bool readPnmInfo(ByteView bytes, ImageInfo& info) {
    PnmHeader h;
    if (!parseHeader(bytes, h)) {
        return false;
    }
    info.width = h.width;
    info.height = h.height;
    info.format = static_cast<std::uint32_t>(h.kind);
    return true;
}

bool decodePnm(ByteView bytes, DecodedImage& image) {
    PnmHeader h;
    if (!parseHeader(bytes, h) || !allocateImage(image, h.width, h.height)) {
        return false;
    }
    const std::uint64_t count = std::uint64_t{h.width} * h.height;
    const std::uint32_t channels = (h.kind == 3 || h.kind == 6) ? 3 : 1;
    if (h.kind <= 3) {
        PnmCursor cursor{bytes, h.dataAt};
        for (std::uint64_t i = 0; i < count; ++i) {
            if (h.kind == 1) {
                // Bits may follow each other without whitespace.
                cursor.skipSpace();
                const std::optional<std::uint8_t> c = cursor.peek();
                if (!c || (*c != '0' && *c != '1')) {
                    return false;
                }
                ++cursor.at;
                image.pixels[i] = *c == '1' ? 0xFF000000u : 0xFFFFFFFFu;
                continue;
            }
            std::uint32_t sample[3] = {};
            for (std::uint32_t k = 0; k < channels; ++k) {
                const std::optional<std::uint32_t> value = cursor.number(h.maxval);
                if (!value) {
                    return false;  // missing, not a number, or over maxval
                }
                sample[k] = toByte(*value, h.maxval);
            }
            image.pixels[i] = channels == 1
                                  ? grey(sample[0])
                                  : 0xFF000000u | (sample[0] << 16) | (sample[1] << 8) | sample[2];
        }
        return true;
    }
    if (h.kind == 4) {
        const std::uint64_t rowBytes = (h.width + 7) / 8;
        if (!bytes.has(h.dataAt, rowBytes * h.height)) {
            return false;
        }
        for (std::uint32_t y = 0; y < h.height; ++y) {
            const std::uint8_t* row = bytes.data + h.dataAt + rowBytes * y;
            for (std::uint32_t x = 0; x < h.width; ++x) {
                const bool black = ((row[x / 8] >> (7 - x % 8)) & 1) != 0;
                image.pixels[std::uint64_t{y} * h.width + x] = black ? 0xFF000000u : 0xFFFFFFFFu;
            }
        }
        return true;
    }
    const std::uint32_t sampleBytes = h.maxval > 255 ? 2 : 1;
    if (!bytes.has(h.dataAt, count * channels * sampleBytes)) {
        return false;
    }
    const std::uint8_t* p = bytes.data + h.dataAt;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint32_t sample[3] = {};
        for (std::uint32_t k = 0; k < channels; ++k) {
            const std::uint32_t raw = sampleBytes == 2 ? (p[0] << 8) | p[1] : p[0];  // big-endian
            p += sampleBytes;
            sample[k] = toByte(raw, h.maxval);
        }
        image.pixels[i] = channels == 1
                              ? grey(sample[0])
                              : 0xFF000000u | (sample[0] << 16) | (sample[1] << 8) | sample[2];
    }
    return true;
}

}  // namespace tsuzuri
