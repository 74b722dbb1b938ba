#include "script_engine/read_pages.h"

namespace tsuzuri {

void ReadPages::keep(std::int32_t pickedRow) {
    if (drawnTextPages().empty()) {
        return;  // nothing was drawn: nothing to look back at
    }
    if (pages_.size() == kReadPagesKept) {
        pages_.pop_front();
    }
    pages_.push_back(ReadPage{drawnTextPages(), pickedRow});
}

}  // namespace tsuzuri
