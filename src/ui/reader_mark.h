// The lasting mark in the frame's top left corner that tells the reader which of their modes
// is on: auto mode, and the backlog with the page it shows.
#pragma once

#include <cstddef>

namespace tsuzuri {

void markAutoMode(bool on);
// The backlog shows the page `back` steps back of `count`; a count of 0: it is closed.
void markBacklog(std::size_t back, std::size_t count);
// No mark (a new run).
void clearReaderMark();

}  // namespace tsuzuri
