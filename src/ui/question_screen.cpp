#include "ui/question_screen.h"

#include <utility>

#include "ui/main_window.h"

namespace tsuzuri {

QuestionScreen::QuestionScreen(RenderState& render, std::string question, std::function<void()> yes)
    : render_(render),
      view_{std::move(question), {"Enter: yes", "Escape: no"}, -1, false, false},
      yes_(std::move(yes)) {}

bool QuestionScreen::takePress(ScreenStack&, const ActionPress& press) {
    if (press.action == Action::Quit) {
        closed_ = true;
    }
    // The window's own keys (fullscreen, volume, screenshots) still reach it.
    return !isWindowAction(press.action);
}

void QuestionScreen::update(ScreenStack&, ActionInput& input, std::uint32_t) {
    if (input.wasReleased(Action::Advance)) {
        closed_ = true;
        yes_();
    } else if (input.wasReleased(Action::Toggle)) {
        closed_ = true;
    }
}

bool QuestionScreen::draw(const std::string&) {
    return renderChooser(render_, view_, shown_);
}

}  // namespace tsuzuri
