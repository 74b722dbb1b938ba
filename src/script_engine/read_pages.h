// The pages and menus the reader has left behind, as they were drawn, for looking back at them.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/text_layer.h"

namespace tsuzuri {

// How many pages and menus are kept; the oldest goes when one more comes.
constexpr std::size_t kReadPagesKept = 200;

struct ReadPage {
    std::vector<DrawnPage> text;  // what the text layer showed
    std::int32_t pickedRow = -1;  // for a menu, the row picked; -1 for a page
};

// Keeps what the text layer shows now as the page just left, or, with `pickedRow` >= 0, as the
// menu whose row was picked.
void keepReadPage(std::int32_t pickedRow);
// How many pages and menus are kept.
std::size_t readPageCount();
// The kept page `back` steps back: 1 is the one left last, readPageCount() the oldest kept.
const ReadPage& readPage(std::size_t back);
// Forgets them all (a new run).
void clearReadPages();

}  // namespace tsuzuri
