#include "script_engine/read_pages.h"

namespace tsuzuri {

void ReadPages::keep(const std::vector<DrawnPage>& drawn, std::int32_t pickedRow) {
    if (drawn.empty()) {
        return;  // nothing was drawn: nothing to look back at
    }
    if (pages_.size() == kReadPagesKept) {
        pages_.pop_front();
    }
    pages_.push_back(ReadPage{drawn, pickedRow});
}

}  // namespace tsuzuri
