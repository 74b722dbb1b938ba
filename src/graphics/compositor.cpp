#include "graphics/compositor.h"

#include <algorithm>

namespace tsuzuri {
namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t divide255(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// floor(n / 2) for negative n too.
inline int halfFloor(int n) {
    return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

inline std::uint32_t blendPixel(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t a = src >> 24;
    const std::uint32_t na = 255 - a;
    const std::uint32_t r = divide255(((src >> 16) & 0xFF) * a + ((dst >> 16) & 0xFF) * na);
    const std::uint32_t g = divide255(((src >> 8) & 0xFF) * a + ((dst >> 8) & 0xFF) * na);
    const std::uint32_t b = divide255((src & 0xFF) * a + (dst & 0xFF) * na);
    return (dst & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

}  // namespace

void clearFrame(const FrameView& frame, std::uint32_t color) {
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        std::fill(row, row + frame.width, color);
    }
}

void blendTextureCentred(const FrameView& frame, const Texture& texture) {
    const int w = static_cast<int>(texture.width);
    const int h = static_cast<int>(texture.height);
    const int originX = halfFloor(frame.width - w);
    const int originY = halfFloor(frame.height - h);
    const int x0 = std::max(0, originX);
    const int y0 = std::max(0, originY);
    const int x1 = std::min(frame.width, originX + w);
    const int y1 = std::min(frame.height, originY + h);
    const int texelsPerRow = texture.pitch / 4;
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* dst = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        const std::uint32_t* src = texture.pixels.data() +
                                   static_cast<std::ptrdiff_t>(y - originY) * texelsPerRow -
                                   originX;
        for (int x = x0; x < x1; ++x) {
            dst[x] = blendPixel(dst[x], src[x]);
        }
    }
}

void invertBand(const FrameView& frame, int left, int top, int right, int bottom) {
    const int x0 = std::max(0, left);
    const int y0 = std::max(0, top);
    const int x1 = std::min(frame.width, right);
    const int y1 = std::min(frame.height, bottom);
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (int x = x0; x < x1; ++x) {
            row[x] ^= 0x00FFFFFFu;
        }
    }
}

void addFlash(const FrameView& frame, std::uint8_t level) {
    for (int y = 0; y < frame.height; ++y) {
        auto* row = reinterpret_cast<std::uint8_t*>(frame.pixels +
                                                    static_cast<std::ptrdiff_t>(y) * frame.pitch);
        for (int i = 0; i < frame.width * 4; ++i) {
            // Bytes blue, green, red, alpha: the alpha byte (every fourth) is left alone.
            const std::uint32_t add = (i & 3) == 3 ? 0 : level;
            row[i] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, row[i] + add));
        }
    }
}

}  // namespace tsuzuri
