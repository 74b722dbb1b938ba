#include "script_engine/read_pages.h"

#include <utility>

namespace tsuzuri {

void ReadPages::keep(const std::vector<DrawnPage>& drawn, std::int32_t pickedRow,
                     StoryPlace place) {
    if (drawn.empty()) {
        return;  // nothing was drawn: nothing to look back at
    }
    if (pages_.size() == kReadPagesKept) {
        pages_.pop_front();
    }
    pages_.push_back(ReadPage{drawn, pickedRow, std::move(place)});
}

void ReadPages::replace(const std::vector<ReadPage>& pages) {
    const std::size_t skipped = pages.size() > kReadPagesKept ? pages.size() - kReadPagesKept : 0;
    pages_.assign(pages.begin() + static_cast<std::ptrdiff_t>(skipped), pages.end());
}

}  // namespace tsuzuri
