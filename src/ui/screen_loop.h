// The one loop that runs the window: takes the pending messages (a key's actions go to the
// screens at once, from the top down, and then to the window), and on each idle pass reads the
// input as actions, hands it to the screens with the clock, lets the top screen draw the frame
// and pauses. It is the only place outside the platform layer that fetches messages.
#pragma once

#include <cstdint>
#include <functional>

#include "common/clock.h"
#include "ui/action.h"
#include "ui/main_window.h"
#include "ui/screen.h"

namespace tsuzuri {

struct LoopOptions {
    // Input is not read for this long after the loop starts, so that a key still held from
    // launching the game is not taken as a click (0: read from the first pass).
    std::uint32_t guardMs = 0;
    // After the pass's input is read (or found still guarded), before the screens update: the
    // owner may add to it (autoplay) or act on it (tracing, a held quit button).
    std::function<void(ActionInput& input, std::uint32_t nowMs, std::uint64_t pass)> beforeUpdate;
    // After the frame has been drawn and the pass's pause taken.
    std::function<void(std::uint64_t pass)> afterPass;
    // Whether the pass goes on without its pause (the story: after a page turn or while
    // skipping, so that it goes on at once). Without: every pass pauses.
    std::function<bool(const ActionInput& input)> skipsPause;
    // Asked after each pass: true ends the loop there (nothing more can happen in it).
    std::function<bool()> endsNow;
};

enum class LoopEnd {
    Quit,           // the window was closed (or could not show frames any more)
    ScreensClosed,  // every screen has closed
    Ended,          // the owner ended it (LoopOptions::endsNow)
};

// Runs the screens until the window closes or the last screen has closed; presses no screen
// takes go to `window`. A pass pauses 10 ms unless `options.skipsPause` says otherwise.
LoopEnd runScreens(ScreenStack& screens, WindowActions& window, Clock& clock,
                   const LoopOptions& options);

}  // namespace tsuzuri
