// Auto mode for the reader: the AutoMode action (A) switches it on and off. While it is on, a
// page turns by itself kAutoPageMs plus kAutoCharMs (or the pace set) per drawn character after it
// was drawn, and not before a one-shot sound effect started on that page has ended (looping sounds
// and music do not hold it). Menus wait for the reader, and any click or key of the story switches
// auto mode off. The story's screen owns it and shows "Auto" in the frame's corner while it is on.
#pragma once

#include <cstdint>
#include <string_view>

#include "script_engine/scene_state.h"
#include "sound/sound_layer.h"
#include "ui/action.h"

namespace tsuzuri {

constexpr std::uint32_t kAutoPageMs = 1500;
constexpr std::uint32_t kAutoCharMs = 60;

class AutoMode {
public:
    // Watches the story of `scene`, which outlives it.
    explicit AutoMode(const SceneState& scene);

    // The time a page waits: `baseMs` plus `perCharMs` per drawn character (from the next page
    // drawn on).
    void setPace(std::uint32_t baseMs, std::uint32_t perCharMs) {
        baseMs_ = baseMs;
        perCharMs_ = perCharMs;
    }

    // Once per idle pass after the input is sampled and before the story steps, at clock
    // `nowMs`: AutoMode switches auto mode; the story's own input switches it off; a page whose
    // time has come gets a click added to `input`.
    void apply(ActionInput& input, std::uint32_t nowMs);
    // Instead, on a pass while the reader looks back: AutoMode still switches auto mode, and
    // the page's wait starts over.
    void stand(const ActionInput& input, std::uint32_t nowMs);
    // After the story's step, at clock `nowMs`: notices a page drawn in it, from when its wait
    // is measured.
    void watchPage(std::uint32_t nowMs);
    bool isOn() const { return on_; }

private:
    const SceneState& scene_;
    std::uint32_t baseMs_ = kAutoPageMs;
    std::uint32_t perCharMs_ = kAutoCharMs;
    bool on_ = false;
    std::uint64_t pagesSeen_ = 0;  // the frame's pagesDrawn when last looked at
    bool onPage_ = false;          // a page is watched and has not been turned by auto mode
    std::int32_t pageLine_ = -1;   // its line
    std::uint32_t drawnAtMs_ = 0;
    std::uint32_t waitMs_ = 0;
    SoundId heldBy_ = 0;  // the one-shot sound effect started on it, or 0
    SoundId lastSe_ = 0;  // the SE channel when the page before was drawn
};

// The characters a page draws (a two-byte character counts one; spaces, line breaks and what
// does not fit on the page are not drawn).
std::uint32_t drawnCharacterCount(std::string_view text);

}  // namespace tsuzuri
