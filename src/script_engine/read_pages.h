// The pages and menus the reader has left behind, as they were drawn, for looking back at them.
// Part of the story's record. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "graphics/text_layer.h"
#include "script_engine/place.h"

namespace tsuzuri {

// How many pages and menus are kept; the oldest goes when one more comes.
constexpr std::size_t kReadPagesKept = 200;

struct ReadPage {
    std::vector<DrawnPage> text;  // what the text layer showed
    std::int32_t pickedRow = -1;  // for a menu, the row picked; -1 for a page
    StoryPlace place;             // the page or menu's place, to go back to it
};

class ReadPages {
public:
    // Keeps what the text layer shows now (`drawn`) as the page just left, or, with
    // `pickedRow` >= 0, as the menu whose row was picked; `place` is where it stands.
    void keep(const std::vector<DrawnPage>& drawn, std::int32_t pickedRow, StoryPlace place);
    // How many pages and menus are kept.
    std::size_t count() const { return pages_.size(); }
    // The kept page `back` steps back: 1 is the one left last, count() the oldest kept.
    const ReadPage& page(std::size_t back) const { return pages_[pages_.size() - back]; }
    // All of them, oldest first, and back (a saved story's; the oldest beyond the limit go).
    std::vector<ReadPage> all() const { return {pages_.begin(), pages_.end()}; }
    void replace(const std::vector<ReadPage>& pages);

private:
    std::deque<ReadPage> pages_;  // oldest first
};

}  // namespace tsuzuri
