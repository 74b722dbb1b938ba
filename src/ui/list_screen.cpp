#include "ui/list_screen.h"

#include <algorithm>
#include <utility>

#include "graphics/text_layer.h"
#include "ui/main_window.h"

namespace tsuzuri {

ListScreen::ListScreen(RenderState& render, int rowCount, Action ownAction)
    : render_(render), rowCount_(rowCount), ownAction_(ownAction), storyText_(render.drawnPages) {}

bool ListScreen::takePress(ScreenStack&, const ActionPress& press) {
    if (press.action == Action::MenuUp || press.action == Action::MenuDown) {
        pendingMoves_ += press.action == Action::MenuUp ? -1 : 1;
        return true;
    }
    if (press.action == Action::Quit || press.action == ownAction_) {
        closeAsked_ = closeAsked_ || !press.repeat;
        return true;
    }
    if (press.action == Action::QuitHold) {
        return false;  // held, it quits from the story's run
    }
    return takeOwnPress(press) || !isWindowAction(press.action);
}

bool ListScreen::beginPass(ActionInput& input) {
    if (std::exchange(closeAsked_, false) || input.wasReleased(Action::Toggle)) {
        close();
        return false;
    }
    highlighted_ = std::clamp(highlighted_ + std::exchange(pendingMoves_, 0), 0, rowCount_ - 1);
    return true;
}

int ListScreen::rowUnder(const ActionInput& input) const {
    const int row = input.pointerKnown && input.pointerY >= kChooserFirstRowTop
                        ? (input.pointerY - kChooserFirstRowTop) / kChooserRowHeight
                        : -1;
    return row < rowCount_ ? row : -1;
}

bool ListScreen::drawRows(const std::string& title, std::vector<std::string> rows) {
    ChooserView view;
    view.title = title;
    view.rows = std::move(rows);
    view.highlighted = highlighted_;
    return renderChooser(render_, view, shown_);
}

void ListScreen::close() {
    if (!closed_) {
        closed_ = true;
        showDrawnPages(render_, storyText_);
    }
}

}  // namespace tsuzuri
