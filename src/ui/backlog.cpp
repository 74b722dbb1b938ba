#include "ui/backlog.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "graphics/text_layer.h"
#include "script_engine/read_pages.h"
#include "script_engine/scene_state.h"
#include "ui/reader_mark.h"

namespace tsuzuri {
namespace {

struct Backlog {
    bool open = false;
    std::int64_t back = 0;             // the page shown, this many back; 0: the story's own
    int pendingSteps = 0;              // Page Up (+1) and Page Down (-1) since the last pass
    bool closeAsked = false;           // Quit or Backlog while open
    bool escapeTaken = false;          // the last Quit closed the backlog: its repeats are ours too
    std::vector<DrawnPage> storyText;  // what the text layer showed when the backlog opened
    FrameScene scene;
};

Backlog backlog;

// A page or a menu is drawn and waits for the reader.
bool storyWaits() {
    const std::int32_t index = sceneState.currentLine;
    if (index < 0 || index >= static_cast<std::int32_t>(sceneState.lines.size()) ||
        sceneState.textDirty != 0 || renderState.flashActive != 0) {
        return false;
    }
    const LineKind kind = sceneState.lines[static_cast<std::size_t>(index)]->kind;
    return kind == Text || kind == Choices;
}

void show(std::int64_t back) {
    backlog.back = back;
    const ReadPage& page = readPage(static_cast<std::size_t>(back));
    showDrawnPages(page.text);
    backlog.scene.windowShown = 1;
    backlog.scene.choiceHover = page.pickedRow >= 0 ? 1 : 0;
    backlog.scene.hoverRow = std::max(page.pickedRow, 0);
    markBacklog(static_cast<std::size_t>(back), readPageCount());
}

void close() {
    showDrawnPages(backlog.storyText);
    backlog.storyText.clear();
    backlog.open = false;
    backlog.back = 0;
    markBacklog(0, 0);
}

}  // namespace

bool takeBacklogPress(const ActionPress& press) {
    switch (press.action) {
        case Action::OlderPage:
            ++backlog.pendingSteps;
            return true;
        case Action::NewerPage:
            --backlog.pendingSteps;
            return true;
        case Action::Backlog:  // opens the backlog, and leaves it
            if (backlog.open) {
                backlog.closeAsked = true;
            } else {
                ++backlog.pendingSteps;
            }
            return true;
        case Action::BacklogOlder:  // older and newer pages, in the backlog only
        case Action::BacklogNewer:
            if (backlog.open) {
                backlog.pendingSteps += press.action == Action::BacklogOlder ? 1 : -1;
            }
            return backlog.open;
        case Action::Quit:
            if (backlog.open) {
                backlog.closeAsked = true;
                backlog.escapeTaken = true;
            } else if (!press.repeat) {
                backlog.escapeTaken = false;
            }
            return backlog.escapeTaken;
        default:
            return false;
    }
}

bool stepBacklog(const ActionInput& input) {
    const int steps = std::exchange(backlog.pendingSteps, 0) + input.wheelNotches;
    const bool closeAsked = std::exchange(backlog.closeAsked, false);
    if (!backlog.open) {
        if (steps <= 0 || !storyWaits() || readPageCount() == 0) {
            return false;
        }
        backlog.open = true;
        backlog.storyText = drawnTextPages();
    }
    const std::int64_t back =
        std::min<std::int64_t>(backlog.back + steps, static_cast<std::int64_t>(readPageCount()));
    // Leaving on a release (of A, Enter, a click; of B, Space, a right click) consumes it: the
    // story stands still on this pass, so it neither turns the page nor hides the window.
    if (closeAsked || input.wasReleased(Action::Advance) || input.wasReleased(Action::Toggle) ||
        back <= 0) {
        close();
    } else if (back != backlog.back) {
        show(back);
    }
    return true;
}

bool isBacklogOpen() {
    return backlog.open;
}

const FrameScene& backlogScene() {
    return backlog.scene;
}

void resetBacklog() {
    if (backlog.open) {
        close();
    }
    backlog = Backlog{};
}

}  // namespace tsuzuri
