// F6 and F9: the story's place saved into the quick slot at once, and gone back to at once
// (the place being left kept first as an automatic save, so nothing is lost). Each says what
// it did in the top right corner for a moment, and on stderr when it could not.
#pragma once

#include <cstdint>
#include <string>

#include "saves/save_slots.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {

class QuickSaves {
public:
    // The slots of the story's game, or null when this run keeps nothing; both outlive this.
    QuickSaves(SceneState& scene, const SaveSlots* slots);

    // How long the note stays.
    static constexpr std::uint32_t kNoteMs = 1500;

    void save(std::uint32_t nowMs);
    void load(std::uint32_t nowMs);
    // The note for the top right corner at `nowMs`; empty once it has gone.
    std::string note(std::uint32_t nowMs);

private:
    void say(std::string note, std::uint32_t nowMs);

    SceneState& scene_;
    const SaveSlots* slots_;
    std::uint32_t runStartMs_;
    std::string note_;
    std::uint32_t noteShownAtMs_ = 0;
};

}  // namespace tsuzuri
