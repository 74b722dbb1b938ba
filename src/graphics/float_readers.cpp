// The two high-dynamic-range formats: portable float maps (PF, Pf) and Radiance pictures
// (RGBE or XYZE, flat or run-length encoded). Their values are linear light; a picture for
// the screen takes each channel clamped to 0..1 and scaled to 0..255, rounded (no tone
// mapping, no gamma). XYZ values are turned into RGB with the sRGB primaries first.
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

bool isSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::uint32_t toByte(double value) {
    if (!(value > 0.0)) {
        return 0;  // also NaN
    }
    if (value >= 1.0) {
        return 255;
    }
    return static_cast<std::uint32_t>(std::lround(value * 255.0));
}

std::uint32_t pixelOf(double r, double g, double b) {
    return 0xFF000000u | (toByte(r) << 16) | (toByte(g) << 8) | toByte(b);
}

// ---------------------------------------------------------------------------------------------
// Portable float maps: "PF" (colour) or "Pf" (grey), width, height, a scale whose sign gives the
// byte order (negative: little-endian), one whitespace, then 32-bit floats, bottom row first.

struct PfmHeader {
    bool colour = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool littleEndian = true;
    std::uint64_t dataAt = 0;
};

// The next whitespace-separated token from `at`.
std::string_view token(ByteView bytes, std::uint64_t& at) {
    while (at < bytes.size && isSpace(bytes.data[at])) {
        ++at;
    }
    const std::uint64_t start = at;
    while (at < bytes.size && !isSpace(bytes.data[at]) && at - start < 64) {
        ++at;
    }
    return std::string_view(reinterpret_cast<const char*>(bytes.data) + start, at - start);
}

template <typename Number>
bool parse(std::string_view text, Number& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parsePfm(ByteView bytes, PfmHeader& h) {
    if (bytes.size < 3 || bytes.data[0] != 'P' || (bytes.data[1] != 'F' && bytes.data[1] != 'f') ||
        !isSpace(bytes.data[2])) {
        return false;
    }
    h.colour = bytes.data[1] == 'F';
    std::uint64_t at = 2;
    double scale = 0;
    if (!parse(token(bytes, at), h.width) || !parse(token(bytes, at), h.height) ||
        !parse(token(bytes, at), scale) || !std::isfinite(scale) || scale == 0.0 ||
        !isTextureSizeAllowed(h.width, h.height) || at >= bytes.size || !isSpace(bytes.data[at])) {
        return false;
    }
    h.littleEndian = scale < 0;
    h.dataAt = at + 1;
    return true;
}

float readFloat(const std::uint8_t* p, bool littleEndian) {
    std::uint32_t bits = littleEndian
                             ? (p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24))
                             : ((std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Radiance: "#?RADIANCE" (or "#?RGBE"), header lines up to an empty line with a FORMAT line,
// then a resolution line "-Y H +X W" (top row first) or "+Y H +X W" (bottom row first).

struct HdrHeader {
    bool xyz = false;
    bool bottomUp = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t dataAt = 0;
};

std::optional<std::string_view> line(ByteView bytes, std::uint64_t& at) {
    if (at >= bytes.size) {
        return std::nullopt;
    }
    const std::uint64_t start = at;
    while (at < bytes.size && bytes.data[at] != '\n') {
        ++at;
        if (at - start > 4096) {
            return std::nullopt;
        }
    }
    if (at >= bytes.size) {
        return std::nullopt;
    }
    ++at;
    std::string_view text(reinterpret_cast<const char*>(bytes.data) + start, at - 1 - start);
    // Lines may also end in CR LF.
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    return text;
}

bool parseHdr(ByteView bytes, HdrHeader& h) {
    std::uint64_t at = 0;
    const std::optional<std::string_view> magic = line(bytes, at);
    if (!magic || (*magic != "#?RADIANCE" && *magic != "#?RGBE")) {
        return false;
    }
    bool format = false;
    for (;;) {
        const std::optional<std::string_view> text = line(bytes, at);
        if (!text) {
            return false;
        }
        if (text->empty()) {
            break;
        }
        if (*text == "FORMAT=32-bit_rle_rgbe") {
            format = true;
            h.xyz = false;
        } else if (*text == "FORMAT=32-bit_rle_xyze") {
            format = true;
            h.xyz = true;
        }
    }
    const std::optional<std::string_view> resolution = line(bytes, at);
    if (!format || !resolution) {
        return false;
    }
    std::uint64_t pos = 0;
    const ByteView text{reinterpret_cast<const std::uint8_t*>(resolution->data()),
                        resolution->size()};
    const std::string_view yAxis = token(text, pos);
    const std::string_view yValue = token(text, pos);
    const std::string_view xAxis = token(text, pos);
    const std::string_view xValue = token(text, pos);
    if ((yAxis != "-Y" && yAxis != "+Y") || xAxis != "+X" || !parse(yValue, h.height) ||
        !parse(xValue, h.width) || !isTextureSizeAllowed(h.width, h.height)) {
        return false;
    }
    h.bottomUp = yAxis == "+Y";
    h.dataAt = at;
    return true;
}

// One scanline of RGBE quadruples, flat (with the old repeat marks) or run-length encoded
// channel by channel.
bool readScanline(ByteView bytes, std::uint64_t& at, std::uint32_t width, std::uint8_t* out) {
    if (width >= 8 && width < 0x8000 && bytes.has(at, 4) && bytes.data[at] == 2 &&
        bytes.data[at + 1] == 2 &&
        ((bytes.data[at + 2] << 8) | bytes.data[at + 3]) == static_cast<int>(width)) {
        at += 4;
        for (int channel = 0; channel < 4; ++channel) {
            std::uint32_t x = 0;
            while (x < width) {
                if (!bytes.has(at, 1)) {
                    return false;
                }
                std::uint32_t count = bytes.data[at++];
                if (count > 128) {
                    count -= 128;
                    if (x + count > width || !bytes.has(at, 1)) {
                        return false;
                    }
                    const std::uint8_t value = bytes.data[at++];
                    for (std::uint32_t i = 0; i < count; ++i) {
                        out[(x + i) * 4 + channel] = value;
                    }
                } else {
                    if (count == 0 || x + count > width || !bytes.has(at, count)) {
                        return false;
                    }
                    for (std::uint32_t i = 0; i < count; ++i) {
                        out[(x + i) * 4 + channel] = bytes.data[at++];
                    }
                }
                x += count;
            }
        }
        return true;
    }
    std::uint32_t x = 0;
    int shift = 0;
    while (x < width) {
        if (!bytes.has(at, 4)) {
            return false;
        }
        const std::uint8_t* p = bytes.data + at;
        at += 4;
        if (p[0] == 1 && p[1] == 1 && p[2] == 1) {
            // Repeat the previous pixel; consecutive repeat marks count in higher bytes.
            if (x == 0) {
                return false;
            }
            const std::uint64_t count = std::uint64_t{p[3]} << shift;
            if (count > width - x) {
                return false;
            }
            for (std::uint64_t i = 0; i < count; ++i, ++x) {
                std::memcpy(out + x * 4, out + (x - 1) * 4, 4);
            }
            shift += 8;
            if (shift > 24) {
                return false;
            }
            continue;
        }
        std::memcpy(out + x * 4, p, 4);
        ++x;
        shift = 0;
    }
    return true;
}

}  // namespace

bool readPfmInfo(ByteView bytes, ImageInfo& info) {
    PfmHeader h;
    if (!parsePfm(bytes, h)) {
        return false;
    }
    info.width = h.width;
    info.height = h.height;
    info.format = h.colour ? 3 : 1;
    return true;
}

bool decodePfm(ByteView bytes, DecodedImage& image) {
    PfmHeader h;
    if (!parsePfm(bytes, h) || !allocateImage(image, h.width, h.height)) {
        return false;
    }
    const std::uint32_t channels = h.colour ? 3 : 1;
    const std::uint64_t rowBytes = std::uint64_t{h.width} * channels * 4;
    if (!bytes.has(h.dataAt, rowBytes * h.height)) {
        return false;
    }
    for (std::uint32_t stored = 0; stored < h.height; ++stored) {
        const std::uint8_t* row = bytes.data + h.dataAt + rowBytes * stored;
        std::uint32_t* out = image.pixels.data() + std::uint64_t{h.height - 1 - stored} * h.width;
        for (std::uint32_t x = 0; x < h.width; ++x) {
            const std::uint8_t* p = row + std::uint64_t{x} * channels * 4;
            if (h.colour) {
                out[x] = pixelOf(readFloat(p, h.littleEndian), readFloat(p + 4, h.littleEndian),
                                 readFloat(p + 8, h.littleEndian));
            } else {
                const double v = readFloat(p, h.littleEndian);
                out[x] = pixelOf(v, v, v);
            }
        }
    }
    return true;
}

bool readHdrInfo(ByteView bytes, ImageInfo& info) {
    HdrHeader h;
    if (!parseHdr(bytes, h)) {
        return false;
    }
    info.width = h.width;
    info.height = h.height;
    info.format = h.xyz ? 1 : 0;
    return true;
}

bool decodeHdr(ByteView bytes, DecodedImage& image) {
    HdrHeader h;
    if (!parseHdr(bytes, h) || !allocateImage(image, h.width, h.height)) {
        return false;
    }
    std::vector<std::uint8_t> scanline(std::size_t{h.width} * 4);
    std::uint64_t at = h.dataAt;
    for (std::uint32_t stored = 0; stored < h.height; ++stored) {
        if (!readScanline(bytes, at, h.width, scanline.data())) {
            return false;
        }
        const std::uint32_t y = h.bottomUp ? h.height - 1 - stored : stored;
        std::uint32_t* out = image.pixels.data() + std::uint64_t{y} * h.width;
        for (std::uint32_t x = 0; x < h.width; ++x) {
            const std::uint8_t* p = scanline.data() + x * 4;
            const double f = p[3] == 0 ? 0.0 : std::ldexp(1.0, p[3] - 136);
            double a = p[0] * f, b = p[1] * f, c = p[2] * f;
            if (h.xyz) {
                const double r = 3.2406 * a - 1.5372 * b - 0.4986 * c;
                const double g = -0.9689 * a + 1.8758 * b + 0.0415 * c;
                const double bl = 0.0557 * a - 0.2040 * b + 1.0570 * c;
                a = r;
                b = g;
                c = bl;
            }
            out[x] = pixelOf(a, b, c);
        }
    }
    return true;
}

}  // namespace tsuzuri
