#include "ui/reader_mark.h"

#include <string>

#include "graphics/corner_note.h"

namespace tsuzuri {
namespace {

bool autoModeOn = false;
std::string backlogPart;

void update() {
    std::string mark = autoModeOn ? "Auto" : "";
    if (!backlogPart.empty()) {
        mark += (mark.empty() ? "" : "  ") + backlogPart;
    }
    setCornerMark(mark);
}

}  // namespace

void markAutoMode(bool on) {
    autoModeOn = on;
    update();
}

void markBacklog(std::size_t back, std::size_t count) {
    backlogPart = count == 0 ? "" : "Backlog " + std::to_string(back) + "/" + std::to_string(count);
    update();
}

void clearReaderMark() {
    autoModeOn = false;
    backlogPart.clear();
    update();
}

}  // namespace tsuzuri
