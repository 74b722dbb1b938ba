#include "ui/backlog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "script_engine/scene_state.h"

namespace tsuzuri {

bool storyWaits(const SceneState& scene) {
    const std::int32_t index = scene.currentLine;
    if (index < 0 || index >= static_cast<std::int32_t>(scene.lines.size()) ||
        scene.textDirty != 0 || scene.render->flashActive != 0) {
        return false;
    }
    const LineKind kind = scene.lines[static_cast<std::size_t>(index)]->kind;
    return kind == Text || kind == Choices;
}

BacklogScreen::BacklogScreen(RenderState& render, bool& quitTaken, const AutoMode& autoMode,
                             const ReadPages& pages, std::function<void(std::int64_t back)> rewind)
    : render_(render),
      quitTaken_(quitTaken),
      autoMode_(autoMode),
      pages_(pages),
      rewind_(std::move(rewind)) {}

void BacklogScreen::open(int steps, const ActionInput& input) {
    open_ = true;
    storyText_ = render_.drawnPages;
    move(steps, false, input);
}

bool BacklogScreen::takePress(ScreenStack&, const ActionPress& press) {
    switch (press.action) {
        case Action::OlderPage:
        case Action::BacklogOlder:
            ++pendingSteps_;
            return true;
        case Action::NewerPage:
        case Action::BacklogNewer:
            --pendingSteps_;
            return true;
        case Action::Backlog:
            closeAsked_ = true;
            return true;
        case Action::Rewind:
            if (!press.repeat && open_ && back_ > 0) {
                rewind_(back_);
                closeAsked_ = true;
            }
            return true;
        case Action::AutoMode:
            return true;
        case Action::Quit:
            closeAsked_ = true;
            quitTaken_ = true;
            return true;
        default:
            return false;
    }
}

void BacklogScreen::update(ScreenStack&, ActionInput& input, std::uint32_t) {
    move(std::exchange(pendingSteps_, 0) + input.wheelNotches, std::exchange(closeAsked_, false),
         input);
}

void BacklogScreen::move(int steps, bool closeAsked, const ActionInput& input) {
    const std::int64_t back =
        std::min<std::int64_t>(back_ + steps, static_cast<std::int64_t>(pages_.count()));
    // Leaving on a release (of A, Enter, a click; of B, Space, a right click) consumes it: the
    // story stands still on this pass, so it neither turns the page nor hides the window.
    if (closeAsked || input.wasReleased(Action::Advance) || input.wasReleased(Action::Toggle) ||
        back <= 0) {
        close();
    } else if (back != back_) {
        show(back);
    }
}

bool BacklogScreen::draw(const std::string& cornerNote) {
    const std::string mark = std::string(autoMode_.isOn() ? "Auto  " : "") + "Backlog " +
                             std::to_string(back_) + "/" + std::to_string(pages_.count());
    return renderFrame(render_, scene_, CornerTexts{cornerNote, mark}) != 0;
}

void BacklogScreen::end() {
    if (open_) {
        close();
    }
}

void BacklogScreen::show(std::int64_t back) {
    back_ = back;
    const ReadPage& page = pages_.page(static_cast<std::size_t>(back));
    showDrawnPages(render_, page.text);
    scene_.windowShown = 1;
    scene_.choiceHover = page.pickedRow >= 0 ? 1 : 0;
    scene_.hoverRow = std::max(page.pickedRow, 0);
}

void BacklogScreen::close() {
    showDrawnPages(render_, storyText_);
    storyText_.clear();
    open_ = false;
    back_ = 0;
}

}  // namespace tsuzuri
