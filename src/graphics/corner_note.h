// Short texts in the frame's top corners, drawn over everything else at the output size with
// the message text's font, white with a black outline on a half-dark box: a note at the top
// right ("Volume 70", "Muted") and a mark at the top left for a mode the reader is in ("Auto",
// "Backlog 2/5"). Whoever owns a text decides when it shows; the frame only draws it.
#pragma once

#include <string>

#include "graphics/compositor.h"

namespace tsuzuri {

struct CornerTexts {
    std::string note;  // printable ASCII; empty: none
    std::string mark;  // printable ASCII; empty: none

    bool operator==(const CornerTexts&) const = default;
};

// Draws the texts that are not empty into the frame.
void drawCornerTexts(const FrameView& frame, const CornerTexts& texts);

}  // namespace tsuzuri
