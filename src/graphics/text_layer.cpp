#include "graphics/text_layer.h"

#include <algorithm>
#include <cstring>

#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "shell/input.h"

namespace tsuzuri {
namespace {

struct Offset {
    int dx;
    int dy;
};

// The outline: copies of the glyph 2 pixels away, in this order (top row first).
constexpr Offset kFullOutline[] = {{-2, -2}, {0, -2}, {2, -2}, {-2, 0},
                                   {2, 0},   {-2, 2}, {0, 2},  {2, 2}};
// While skipping, only the diagonal copies, which is cheaper and looks almost the same.
constexpr Offset kSkipOutline[] = {{-2, -2}, {2, -2}, {-2, 2}, {2, 2}};

constexpr std::uint32_t kWhite = 0x00FFFFFFu;

// Calls `write(pixel, alpha)` for every covered glyph pixel that lands inside the layer.
template <typename Write>
void forEachCoveredPixel(const LockedRect& lock, const GlyphBitmap& glyph, int left, int top,
                         Write write) {
    for (int row = 0; row < glyph.height; ++row) {
        const int y = top + row;
        if (y < 0 || y >= kScreenHeight) {
            continue;
        }
        auto* line = reinterpret_cast<std::uint32_t*>(lock.bits +
                                                      static_cast<std::ptrdiff_t>(y) * lock.pitch);
        const std::uint8_t* coverage = glyph.alpha.data() + static_cast<size_t>(row) * glyph.width;
        const int first = std::max(0, -left);
        const int last = std::min(glyph.width, kScreenWidth - left);
        for (int column = first; column < last; ++column) {
            if (coverage[column] != 0) {
                write(line[left + column], coverage[column]);
            }
        }
    }
}

}  // namespace

Status clearTextLayer() {
    Texture* layer = renderState.textTexture.get();
    if (layer == nullptr) {
        return S_OK;
    }
    LockedRect locked;
    if (failed(lockTexture(layer, locked))) {
        return E_FAIL;
    }
    std::memset(locked.bits, 0, static_cast<size_t>(locked.pitch) * layer->height);
    return failed(unlockTexture(layer)) ? E_FAIL : S_OK;
}

int drawGlyph(const LockedRect& lock, int x, int y, const char* bytes, std::size_t available) {
    const auto first = static_cast<unsigned char>(bytes[0]);
    const bool twoBytes = isLeadByte(first);
    if (twoBytes && available < 2) {
        return 2;  // a lead byte cut off at the end of the text: nothing to draw
    }
    const std::uint16_t code =
        twoBytes ? static_cast<std::uint16_t>(first * 256 + static_cast<unsigned char>(bytes[1]))
                 : first;
    const int count = twoBytes ? 2 : 1;
    const GlyphBitmap* glyph = cachedGlyph(code);
    if (glyph == nullptr) {
        return count;
    }
    const int left = x + glyph->left;
    const int top = y + textFontAscent() - glyph->top;

    const bool skipping = isSkipKeyDown();
    const Offset* outline = skipping ? kSkipOutline : kFullOutline;
    const size_t outlineCount = skipping ? std::size(kSkipOutline) : std::size(kFullOutline);
    for (size_t i = 0; i < outlineCount; ++i) {
        forEachCoveredPixel(lock, *glyph, left + outline[i].dx, top + outline[i].dy,
                            [](std::uint32_t& pixel, std::uint8_t alpha) {
                                const std::uint32_t current = pixel >> 24;
                                pixel = std::max<std::uint32_t>(current, alpha) << 24;
                            });
    }
    forEachCoveredPixel(lock, *glyph, left, top, [](std::uint32_t& pixel, std::uint8_t alpha) {
        pixel = (std::uint32_t{alpha} << 24) | kWhite;
    });
    return count;
}

Status drawTextPage(const char* text) {
    Texture* layer = renderState.textTexture.get();
    if (layer == nullptr || text == nullptr) {
        return S_OK;
    }
    LockedRect lock;
    if (failed(lockTexture(layer, lock))) {
        return S_OK;
    }
    const std::size_t length = std::strlen(text);
    int y = kTextOriginY;
    int column = 0;
    std::size_t i = 0;
    while (i < length) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < length ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0x5C && next == 0x6E) {  // "\n"
            y += kTextLineHeight;
            column = 0;
            i += 2;
        } else if (byte == 0x20) {
            column += 1;
            i += 1;
        } else if (byte == 0x81 && next == 0x40) {  // full-width space
            column += 2;
            i += 2;
        } else {
            if (column >= kTextWrapColumn) {
                y += kTextLineHeight;
                column = 0;
            }
            if (y >= kTextAreaBottom) {
                break;
            }
            const int count =
                drawGlyph(lock, kTextOriginX + kTextColumnWidth * column, y, text + i, length - i);
            column += count;
            i += static_cast<std::size_t>(count);
        }
    }
    unlockTexture(layer);
    return S_OK;
}

}  // namespace tsuzuri
