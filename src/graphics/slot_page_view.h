// The screen of a page of save slots: a title line, then up to six slots in two columns of
// three, each with its thumbnail, three lines of text beside it and one below, one slot
// highlighted. Drawn with the
// message text's glyphs over the clear colour.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "graphics/render_device.h"
#include "graphics/texture.h"

namespace tsuzuri {

constexpr int kSlotsPerPage = 6;
constexpr int kSlotColumns = 2;
// Where the slots go, in the frame's 800x600 space: cell i is at column i % 2, row i / 2.
constexpr int kSlotTitleTop = 16;
constexpr int kSlotFirstTop = 60;
constexpr int kSlotWidth = 400;
constexpr int kSlotHeight = 176;

struct SlotView {
    std::array<std::string, 4> lines;    // Shift-JIS: three beside the thumbnail, one below
    const Texture* thumbnail = nullptr;  // 160x120 or none; kept alive by the caller

    bool operator==(const SlotView&) const = default;
};

struct SlotPageView {
    std::string title;            // Shift-JIS
    std::vector<SlotView> slots;  // at most kSlotsPerPage
    int highlighted = -1;         // index into slots; -1: none

    bool operator==(const SlotPageView&) const = default;
};

// The slot at 800x600 point (x, y), or -1.
int slotAt(int x, int y);

// Shows the view as renderChooser shows its own: drawn and presented when it differs from
// `shown` (or the window asks for its content again or changed size); never waits. False when
// the display cannot go on. The text layer is left holding the page's text.
bool renderSlotPage(RenderState& render, const SlotPageView& view,
                    std::optional<SlotPageView>& shown);

}  // namespace tsuzuri
