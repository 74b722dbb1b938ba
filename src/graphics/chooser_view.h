// The screen of the player's own chooser (used when the desktop has no file dialog): a title
// and a list of names over the clear colour, drawn with the message text's glyphs, one row
// highlighted like a menu row.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include "graphics/render_device.h"

namespace tsuzuri {

// Where the rows go, in the frame's 800x600 space: the title line at the top, then up to
// kChooserVisibleRows rows.
constexpr int kChooserTitleTop = 16;
constexpr int kChooserFirstRowTop = 64;
constexpr int kChooserRowHeight = 30;
constexpr int kChooserVisibleRows = 17;

struct ChooserView {
    std::string title;              // Shift-JIS
    std::vector<std::string> rows;  // the visible rows, Shift-JIS, at most kChooserVisibleRows
    int highlighted = -1;           // index into rows; -1: none
    bool moreAbove = false;         // rows scrolled off above or below are marked
    bool moreBelow = false;

    bool operator==(const ChooserView&) const = default;
};

// Shows the view: draws and presents it when it differs from `shown`, the one shown last (or the
// window asks for its content again or changed size), and keeps it there; never waits. Answers
// false when the display cannot go on. The text layer is left holding the chooser's text; the
// caller clears it when the chooser closes.
bool renderChooser(RenderState& render, const ChooserView& view, std::optional<ChooserView>& shown);

}  // namespace tsuzuri
