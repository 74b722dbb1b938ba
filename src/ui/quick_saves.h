// Saving the story's place into a slot and going back to a slot's place (the place being left
// kept first as an automatic save, so nothing is lost): at once for F6 and F9, and for the
// save and load screens. Each says what
// it did in the top right corner for a moment, and on stderr when it could not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

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
    // The same for any slot, as the save and load screens ask; each answers whether it did.
    bool saveInto(const std::string& slot, std::uint32_t nowMs);
    bool loadFrom(const SaveSlot& slot, std::uint32_t nowMs);
    // The story's frame and text while a screen covers them (set when the screen opens,
    // cleared when it closes), for the saves' thumbnails and first lines; without, the frame
    // and text shown now.
    struct StoryView {
        FrameCopy frame;
        std::vector<DrawnPage> text;
    };
    void keepStoryView(std::optional<StoryView> view) { storyView_ = std::move(view); }
    // The game's slots; null when this run keeps none.
    const SaveSlots* slots() const { return slots_; }
    // The note for the top right corner at `nowMs`; empty once it has gone.
    std::string note(std::uint32_t nowMs);

private:
    void say(std::string note, std::uint32_t nowMs);

    SceneState& scene_;
    const SaveSlots* slots_;
    std::optional<StoryView> storyView_;
    std::string note_;
    std::uint32_t noteShownAtMs_ = 0;
};

}  // namespace tsuzuri
