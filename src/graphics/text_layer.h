// The text layer's content: pages of Shift-JIS text drawn glyph by glyph on a fixed grid,
// white with a black outline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/status.h"
#include "graphics/render_device.h"
#include "graphics/text_layout.h"
#include "graphics/texture.h"

namespace tsuzuri {

// Makes the whole text layer transparent. Does nothing without a text layer; fails when the
// layer cannot be locked.
Status clearTextLayer(RenderState& render);

// Draws a page ("\n" breaks lines) into the text layer without clearing it first. Answers 0.
// The layout is always on the 800x600 grid; a larger or smaller layer gets each character at
// its place scaled, rasterised at the font's current scale (see setTextFontScale). While the
// reader skips, `skipping` draws a cheaper outline that looks almost the same.
Status drawTextPage(RenderState& render, const char* text, bool skipping = false);

// Draws the pages drawn since the layer was last cleared again, into a cleared layer: after
// the layer has been made anew at another size.
Status redrawTextLayer(RenderState& render);

// The pages drawn since the layer was last cleared are render.drawnPages, and
// render.pagesDrawn counts every page drawn.
//
// Clears the layer and draws `pages` into it exactly as they were drawn (the same pixels);
// they become the layer's drawn pages.
Status showDrawnPages(RenderState& render, const std::vector<DrawnPage>& pages);

// Draws the character starting at `bytes` (at most `available` bytes may be read) with the
// pen at (x, y) of the layer's pixels: outline first, then body. Answers how many bytes the
// character takes.
int drawGlyph(const LockedRect& lock, int x, int y, const char* bytes, std::size_t available,
              bool skipping = false);

}  // namespace tsuzuri
