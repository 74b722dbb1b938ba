#include "script_engine/read_pages.h"

#include <deque>

namespace tsuzuri {
namespace {

std::deque<ReadPage> readPages;  // oldest first

}  // namespace

void keepReadPage(std::int32_t pickedRow) {
    if (drawnTextPages().empty()) {
        return;  // nothing was drawn: nothing to look back at
    }
    if (readPages.size() == kReadPagesKept) {
        readPages.pop_front();
    }
    readPages.push_back(ReadPage{drawnTextPages(), pickedRow});
}

std::size_t readPageCount() {
    return readPages.size();
}

const ReadPage& readPage(std::size_t back) {
    return readPages[readPages.size() - back];
}

void clearReadPages() {
    readPages.clear();
}

}  // namespace tsuzuri
