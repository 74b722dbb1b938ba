// What the screens that show a list of rows over the story share (the system menu, the
// settings): the chooser's look, Up and Down (the D-pad, and on some the wheel) moving the
// highlight, the row under the pointer, and closing on Escape, the screen's own key again, B,
// Space or a right click, the story's text shown again as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphics/chooser_view.h"
#include "ui/screen.h"

namespace tsuzuri {

class ListScreen : public Screen {
public:
    // Takes the moves and the closing keys; the window's own keys go on to the window and the
    // story's do nothing here. Other presses go to takeOwnPress first.
    bool takePress(ScreenStack& stack, const ActionPress& press) final;
    bool isClosed() const final { return closed_; }
    void end() final { close(); }

protected:
    // Lists `rowCount` rows drawn into `render` (which outlives the screen), closed also by
    // `ownAction`.
    ListScreen(RenderState& render, int rowCount, Action ownAction);

    // A press the list does not take itself; answers whether the screen took it.
    virtual bool takeOwnPress(const ActionPress&) { return false; }
    // At the start of a pass: closes the screen when asked (answering false), or moves the
    // highlight by the moves pressed since the last pass and answers true.
    bool beginPass(ActionInput& input);
    // The row under the pointer, or -1.
    int rowUnder(const ActionInput& input) const;
    // Shows the rows with the highlight under `title`.
    bool drawRows(const std::string& title, std::vector<std::string> rows);
    void close();

    RenderState& render_;
    int highlighted_ = 0;

private:
    const int rowCount_;
    const Action ownAction_;
    int pendingMoves_ = 0;
    bool closeAsked_ = false;
    std::vector<DrawnPage> storyText_;
    std::optional<ChooserView> shown_;
    bool closed_ = false;
};

}  // namespace tsuzuri
