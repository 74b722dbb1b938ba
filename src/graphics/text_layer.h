// The text layer's content: pages of Shift-JIS text drawn glyph by glyph.
#pragma once

#include "common/status.h"

namespace tsuzuri {

// Makes the whole text layer transparent. Does nothing without a text layer.
Status clearTextLayer();

// Draws a page ("\n" breaks lines) into the text layer without clearing it first. Answers 0.
Status drawTextPage(const char* text);

}  // namespace tsuzuri
