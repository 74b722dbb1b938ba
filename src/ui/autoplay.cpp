#include "ui/autoplay.h"

#include "script_engine/scene_state.h"

namespace tsuzuri {
namespace {

// The middle of the first choice row.
constexpr int kFirstRowX = 400;
constexpr int kFirstRowY = 493;

struct Autoplay {
    bool active = false;
    std::uint32_t pageMs = kDefaultAutoplayMs;
    const ScriptLine* line = nullptr;  // the line the story stood on at the last pass
    std::int32_t index = -1;
    std::uint32_t since = 0;  // when the story came to it
};

Autoplay& autoplay() {
    static Autoplay instance;
    return instance;
}

}  // namespace

void startAutoplay(std::uint32_t pageMs) {
    autoplay() = Autoplay{};
    autoplay().active = true;
    autoplay().pageMs = pageMs;
}

void stopAutoplay() {
    autoplay().active = false;
}

void applyAutoplay(ActionInput& input, std::uint32_t now) {
    Autoplay& a = autoplay();
    if (!a.active) {
        return;
    }
    const auto count = static_cast<std::int32_t>(sceneState.lines.size());
    const std::int32_t index = sceneState.currentLine;
    const ScriptLine* line = index >= 0 && index < count
                                 ? sceneState.lines[static_cast<std::size_t>(index)].get()
                                 : nullptr;
    if (line != a.line || index != a.index) {
        a.line = line;
        a.index = index;
        a.since = now;
    }
    if (line == nullptr) {
        return;
    }
    const bool menu = line->kind == Choices;
    if (menu) {
        input.pointerKnown = true;
        input.pointerX = kFirstRowX;
        input.pointerY = kFirstRowY;
    }
    if ((line->kind == Text || menu) && now - a.since >= a.pageMs) {
        addClick(input);
        a.since = now;
    }
}

}  // namespace tsuzuri
