// Where the characters of a page land on the text grid, and where a page runs out of room.
// Pure: the text drawing and the script checker both follow it.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/shift_jis.h"

namespace tsuzuri {

// The grid: pages start at (20, 480); a column is 13 pixels (half a full-width character), a
// line 30 pixels; a drawn character that would start at column 58 or later wraps, and nothing
// is drawn from line top 570 on, so a page has at most three lines.
constexpr int kTextOriginX = 20;
constexpr int kTextOriginY = 480;
constexpr int kTextColumnWidth = 13;
constexpr int kTextLineHeight = 30;
constexpr int kTextWrapColumn = 58;
constexpr int kTextAreaBottom = 570;

// One character to draw: its pen position, and its bytes in the page (a lead byte always takes
// two, even when the page ends after it).
struct PlacedGlyph {
    int x = 0;
    int y = 0;
    std::size_t offset = 0;
    int bytes = 1;
};

// Lays out a page ("\n" breaks lines; spaces and full-width spaces only move the pen) and calls
// place(PlacedGlyph) for each character drawn, in order. Answers the offset of the first byte
// left undrawn because the page is full: text.size() when everything fits.
template <typename Place>
std::size_t layoutTextPage(std::string_view text, Place&& place) {
    const std::size_t length = text.size();
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
                return i;
            }
            const int count = isLeadByte(byte) ? 2 : 1;
            place(PlacedGlyph{kTextOriginX + kTextColumnWidth * column, y, i, count});
            column += count;
            i += static_cast<std::size_t>(count);
        }
    }
    return length;
}

}  // namespace tsuzuri
