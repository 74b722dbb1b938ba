#include "ui/screen.h"

#include <utility>

namespace tsuzuri {

void ScreenStack::push(std::unique_ptr<Screen> screen) {
    screens_.push_back(std::move(screen));
}

bool ScreenStack::takePress(const ActionPress& press) {
    // By index: a screen the press opens goes on top without disturbing the search.
    for (std::size_t i = screens_.size(); i-- > 0;) {
        if (screens_[i]->takePress(*this, press)) {
            return true;
        }
    }
    return false;
}

void ScreenStack::update(ActionInput& input, std::uint32_t nowMs) {
    // Screens pushed during the pass start on the next one; the screens themselves never move,
    // so references stay good while the vector grows.
    bool frozen = false;
    for (std::size_t i = screens_.size(); i-- > 0;) {
        Screen& screen = *screens_[i];
        if (frozen) {
            screen.stand(input, nowMs);
        } else {
            screen.update(*this, input, nowMs);
            frozen = screen.freezesBelow();
        }
    }
    removeClosed();
}

void ScreenStack::removeClosed() {
    std::erase_if(screens_,
                  [](const std::unique_ptr<Screen>& screen) { return screen->isClosed(); });
}

bool ScreenStack::draw(const std::string& cornerNote) {
    return screens_.empty() || screens_.back()->draw(cornerNote);
}

void ScreenStack::clear() {
    while (!screens_.empty()) {
        screens_.back()->end();
        screens_.pop_back();
    }
}

}  // namespace tsuzuri
