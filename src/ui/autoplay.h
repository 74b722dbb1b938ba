// Playing a game unattended: each page is turned after a while and each choice menu answered
// with its first row, by the same clicks a reader would give. It is a source of input: the
// run's loop lets it add to each pass's input before the screens see it.
#pragma once

#include <cstdint>

#include "script_engine/scene_state.h"
#include "script_engine/script_line.h"
#include "ui/action.h"

namespace tsuzuri {

constexpr std::uint32_t kDefaultAutoplayMs = 1500;

class Autoplay {
public:
    // Plays the story of `scene`, which outlives it.
    Autoplay(const SceneState& scene, std::uint32_t pageMs) : scene_(scene), pageMs_(pageMs) {}

    // Once per idle pass after the input has been read, at clock `nowMs`: adds a click when the
    // current page or menu has been shown for long enough, and on a menu puts the pointer on
    // its first row.
    void apply(ActionInput& input, std::uint32_t nowMs);

private:
    const SceneState& scene_;
    std::uint32_t pageMs_;
    const ScriptLine* line_ = nullptr;  // the line the story stood on at the last pass
    std::int32_t index_ = -1;
    std::uint32_t since_ = 0;  // when the story came to it
};

}  // namespace tsuzuri
