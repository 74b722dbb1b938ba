#include "graphics/compositor.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tsuzuri {
namespace {

// floor(n / 2) for negative n too.
inline int halfFloor(int n) {
    return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

// src * a + dst * (255 - a), divided by 255 with rounding, for red and blue at once: each
// sits in its own 16-bit lane, where the sum (at most 255 * 255 + 255) cannot carry over.
inline std::uint32_t blendPixel(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t a = src >> 24;
    const std::uint32_t na = 255 - a;
    std::uint32_t rb = (src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * na + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t g = ((src >> 8) & 0xFFu) * a + ((dst >> 8) & 0xFFu) * na + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return (dst & 0xFF000000u) | rb | (g << 8);
}

#if defined(__SSE2__)

// Four pixels at once: each channel widened to 16 bits, blended with the same rounding as
// blendPixel, the destination's alpha kept.
inline __m128i blendFour(__m128i dst, __m128i src) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i all255 = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i keepAlpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    auto blendTwo = [&](__m128i d, __m128i s) {
        // Alpha of each pixel copied to its four channels; the alpha channel itself gets 0 so
        // that it comes out as the destination's.
        __m128i a = _mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3));
        a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
        a = _mm_andnot_si128(_mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0), a);
        __m128i t =
            _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(all255, a)));
        t = _mm_add_epi16(t, half);
        return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    const __m128i low = blendTwo(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(src, zero));
    const __m128i high = blendTwo(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(src, zero));
    const __m128i blended = _mm_packus_epi16(low, high);
    return _mm_or_si128(_mm_andnot_si128(keepAlpha, blended), _mm_and_si128(keepAlpha, dst));
}

#endif

// Blends a row. Pictures are mostly opaque or fully transparent over long stretches (scene
// pictures, the empty parts of the window and text layers), so groups of pixels that are all
// one or the other are copied or skipped, and the rest is blended four pixels at a time.
void blendRow(std::uint32_t* dst, const std::uint32_t* src, int count) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; x + 4 <= count; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        const __m128i alpha = _mm_and_si128(s, alphaMask);
        const int transparent = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128()));
        if (transparent == 0xFFFF) {
            continue;
        }
        __m128i* out = reinterpret_cast<__m128i*>(dst + x);
        const __m128i d = _mm_loadu_si128(out);
        const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask));
        if (opaque == 0xFFFF) {
            _mm_storeu_si128(
                out, _mm_or_si128(_mm_andnot_si128(alphaMask, s), _mm_and_si128(alphaMask, d)));
            continue;
        }
        _mm_storeu_si128(out, blendFour(d, s));
    }
#endif
    for (; x < count; ++x) {
        dst[x] = blendPixel(dst[x], src[x]);
    }
}

// Adds the level to each colour channel, saturating: red and blue in 16-bit lanes, green
// alone; a sum over 255 sets the lane's bit 8, which becomes a full 0xFF for that channel.
inline std::uint32_t addFlashPixel(std::uint32_t p, std::uint8_t level) {
    std::uint32_t rb = (p & 0x00FF00FFu) + ((std::uint32_t{level} << 16) | level);
    rb |= ((rb & 0x01000100u) >> 8) * 0xFFu;
    std::uint32_t g = (p & 0x0000FF00u) + (std::uint32_t{level} << 8);
    g |= ((g & 0x00010000u) >> 8) * 0xFFu;
    return (p & 0xFF000000u) | (rb & 0x00FF00FFu) | (g & 0x0000FF00u);
}

}  // namespace

void clearFrame(const FrameView& frame, std::uint32_t color) {
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        std::fill(row, row + frame.width, color);
    }
}

void blendTextureCentred(const FrameView& frame, const Texture& texture) {
    blendTextureAt(frame, texture, halfFloor(frame.width - static_cast<int>(texture.width)),
                   halfFloor(frame.height - static_cast<int>(texture.height)));
}

void blendTextureAt(const FrameView& frame, const Texture& texture, int originX, int originY) {
    const int w = static_cast<int>(texture.width);
    const int h = static_cast<int>(texture.height);
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
        blendRow(dst + x0, src + x0, x1 - x0);
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
#if defined(__SSE2__)
    // A saturating byte add of the level to blue, green and red, 0 to alpha.
    const __m128i add = _mm_set1_epi32(static_cast<int>(std::uint32_t{level} * 0x00010101u));
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        int x = 0;
        for (; x + 4 <= frame.width; x += 4) {
            __m128i* p = reinterpret_cast<__m128i*>(row + x);
            _mm_storeu_si128(p, _mm_adds_epu8(_mm_loadu_si128(p), add));
        }
        for (; x < frame.width; ++x) {
            row[x] = addFlashPixel(row[x], level);
        }
    }
#else
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch;
        for (int x = 0; x < frame.width; ++x) {
            const std::uint32_t p = row[x];
            row[x] = addFlashPixel(p, level);
        }
    }
#endif
}

}  // namespace tsuzuri
