#include "graphics/text_layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "platform/frame_geometry.h"

namespace tsuzuri {
namespace {

struct Offset {
    int dx;
    int dy;
};

// The outline: copies of the glyph one reach away (2 pixels at 800x600), in this order (top
// row first), as multiples of the reach.
constexpr Offset kFullOutline[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                   {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
// While skipping, only the diagonal copies, which is cheaper and looks almost the same.
constexpr Offset kSkipOutline[] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};

// The outline's reach in pixels for the current text scale.
int outlineReach() {
    return std::max(1, static_cast<int>(std::lround(2.0 * textFontScale())));
}

constexpr std::uint32_t kWhite = 0x00FFFFFFu;

// A glyph ready to paint: its body, and its outline already merged into one bitmap. Painting
// each outline copy in turn keeps, at every pixel, the largest alpha of the copies (black), so
// one pass with the per-pixel maximum of all copies gives exactly the same layer.
struct PaintedGlyph {
    GlyphBitmap body;
    GlyphBitmap outline;  // left and top relative to the body's pen like the body's
};

void mergeOutline(const GlyphBitmap& body, const Offset* offsets, size_t count,
                  GlyphBitmap& outline) {
    const int reach = outlineReach();
    outline.width = body.width + 2 * reach;
    outline.height = body.height + 2 * reach;
    outline.left = body.left - reach;
    outline.top = body.top + reach;
    outline.alpha.assign(static_cast<size_t>(outline.width) * outline.height, 0);
    for (size_t k = 0; k < count; ++k) {
        for (int row = 0; row < body.height; ++row) {
            std::uint8_t* target =
                outline.alpha.data() +
                static_cast<size_t>(row + reach + offsets[k].dy * reach) * outline.width + reach +
                offsets[k].dx * reach;
            const std::uint8_t* source = body.alpha.data() + static_cast<size_t>(row) * body.width;
            for (int column = 0; column < body.width; ++column) {
                target[column] = std::max(target[column], source[column]);
            }
        }
    }
}

// Painted glyphs by character and outline set, valid for one font generation.
struct PaintedCache {
    std::uint64_t generation = 0;
    std::unordered_map<std::uint32_t, std::unique_ptr<PaintedGlyph>> glyphs;  // null: nothing
    PaintedGlyph scratch;
};

PaintedCache& paintedCache() {
    static PaintedCache cache;
    return cache;
}

const PaintedGlyph* paintedGlyph(std::uint16_t code, bool skipping) {
    const Offset* offsets = skipping ? kSkipOutline : kFullOutline;
    const size_t count = skipping ? std::size(kSkipOutline) : std::size(kFullOutline);
    PaintedCache& cache = paintedCache();
    if (!isGlyphCacheEnabled()) {
        const GlyphBitmap* body = cachedGlyph(code);
        if (body == nullptr) {
            return nullptr;
        }
        cache.scratch.body = *body;
        mergeOutline(cache.scratch.body, offsets, count, cache.scratch.outline);
        return &cache.scratch;
    }
    if (cache.generation != textFontGeneration()) {
        cache.glyphs.clear();
        cache.generation = textFontGeneration();
    }
    const std::uint32_t key = (std::uint32_t{code} << 1) | (skipping ? 1u : 0u);
    auto found = cache.glyphs.find(key);
    if (found == cache.glyphs.end()) {
        std::unique_ptr<PaintedGlyph> painted;
        if (const GlyphBitmap* body = cachedGlyph(code)) {
            painted = std::make_unique<PaintedGlyph>();
            painted->body = *body;
            mergeOutline(painted->body, offsets, count, painted->outline);
        }
        found = cache.glyphs.emplace(key, std::move(painted)).first;
    }
    return found->second.get();
}

// Calls `write(pixel, alpha)` for every covered pixel of the bitmap placed at (left, top) that
// lands inside the layer.
template <typename Write>
void forEachCoveredPixel(const LockedRect& lock, const GlyphBitmap& bitmap, int left, int top,
                         Write write) {
    const int firstColumn = std::max(0, -left);
    const int lastColumn = std::min(bitmap.width, lock.width - left);
    for (int row = std::max(0, -top); row < bitmap.height && top + row < lock.height; ++row) {
        auto* line = reinterpret_cast<std::uint32_t*>(
            lock.bits + static_cast<std::ptrdiff_t>(top + row) * lock.pitch);
        const std::uint8_t* coverage =
            bitmap.alpha.data() + static_cast<size_t>(row) * bitmap.width;
        for (int column = firstColumn; column < lastColumn; ++column) {
            if (coverage[column] != 0) {
                write(line[left + column], coverage[column]);
            }
        }
    }
}

}  // namespace

Status clearTextLayer(RenderState& render) {
    render.drawnPages.clear();
    Texture* layer = render.textTexture.get();
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

namespace {

int drawGlyphAs(const LockedRect& lock, int x, int y, const char* bytes, std::size_t available,
                bool skipping) {
    const auto first = static_cast<unsigned char>(bytes[0]);
    const bool twoBytes = isLeadByte(first);
    if (twoBytes && available < 2) {
        return 2;  // a lead byte cut off at the end of the text: nothing to draw
    }
    const std::uint16_t code =
        twoBytes ? static_cast<std::uint16_t>(first * 256 + static_cast<unsigned char>(bytes[1]))
                 : first;
    const int count = twoBytes ? 2 : 1;
    const PaintedGlyph* glyph = paintedGlyph(code, skipping);
    if (glyph == nullptr) {
        return count;
    }
    const int baseline = y + textFontAscent();
    forEachCoveredPixel(lock, glyph->outline, x + glyph->outline.left,
                        baseline - glyph->outline.top,
                        [](std::uint32_t& pixel, std::uint8_t alpha) {
                            pixel = std::max<std::uint32_t>(pixel >> 24, alpha) << 24;
                        });
    forEachCoveredPixel(lock, glyph->body, x + glyph->body.left, baseline - glyph->body.top,
                        [](std::uint32_t& pixel, std::uint8_t alpha) {
                            pixel = (std::uint32_t{alpha} << 24) | kWhite;
                        });
    return count;
}

// Lays the page out on the 800x600 grid and draws each character at its place scaled to the
// layer's size.
void drawPageInto(const LockedRect& lock, const char* text, bool skipping) {
    const std::string_view page(text);
    layoutTextPage(page, [&](const PlacedGlyph& glyph) {
        drawGlyphAs(lock, frameToOutput(glyph.x, lock.width, kScreenWidth),
                    frameToOutput(glyph.y, lock.height, kScreenHeight), page.data() + glyph.offset,
                    page.size() - glyph.offset, skipping);
    });
}

}  // namespace

int drawGlyph(const LockedRect& lock, int x, int y, const char* bytes, std::size_t available,
              bool skipping) {
    return drawGlyphAs(lock, x, y, bytes, available, skipping);
}

Status drawTextPage(RenderState& render, const char* text, bool skipping) {
    Texture* layer = render.textTexture.get();
    if (layer == nullptr || text == nullptr) {
        return S_OK;
    }
    LockedRect lock;
    if (failed(lockTexture(layer, lock))) {
        return S_OK;
    }
    drawPageInto(lock, text, skipping);
    unlockTexture(layer);
    render.drawnPages.push_back({text, skipping});
    ++render.pagesDrawn;
    return S_OK;
}

Status redrawTextLayer(RenderState& render) {
    Texture* layer = render.textTexture.get();
    LockedRect lock;
    if (layer == nullptr || failed(lockTexture(layer, lock))) {
        return E_FAIL;
    }
    std::memset(lock.bits, 0, static_cast<size_t>(lock.pitch) * layer->height);
    for (const DrawnPage& page : render.drawnPages) {
        drawPageInto(lock, page.text.c_str(), page.skipping);
    }
    unlockTexture(layer);
    return S_OK;
}

Status showDrawnPages(RenderState& render, const std::vector<DrawnPage>& pages) {
    render.drawnPages = pages;
    return redrawTextLayer(render);
}

}  // namespace tsuzuri
