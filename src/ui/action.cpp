#include "ui/action.h"

namespace tsuzuri {

void addClick(ActionInput& input) {
    for (const Action action : {Action::Advance, Action::Click}) {
        input.released.set(static_cast<std::size_t>(action));
        input.held.reset(static_cast<std::size_t>(action));
    }
}

StoryInput storyInputOf(const ActionInput& input) {
    StoryInput story;
    story.advanceReleased = input.wasReleased(Action::Advance);
    story.toggleReleased = input.wasReleased(Action::Toggle);
    story.skipHeld = input.isHeld(Action::Skip);
    story.clickReleased = input.wasReleased(Action::Click);
    story.upReleased = input.wasReleased(Action::MenuUp);
    story.downReleased = input.wasReleased(Action::MenuDown);
    story.pointerKnown = input.pointerKnown;
    story.pointerX = input.pointerX;
    story.pointerY = input.pointerY;
    return story;
}

}  // namespace tsuzuri
