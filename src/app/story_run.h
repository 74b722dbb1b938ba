// The story's run of the window's loop: the story's screen at the bottom of the stack, with
// what a run adds around each pass (the start-up guard, autoplay, input tracing, the gamepad's
// held quit, the recording and the run's limits).
#pragma once

#include "app/player.h"
#include "app/read_record_keeper.h"
#include "app/run_limits.h"
#include "saves/save_slots.h"
#include "script_engine/scene_state.h"
#include "ui/main_window.h"

namespace tsuzuri {

// Runs the story of `scene` until the window closes; `window` takes the presses no screen takes,
// `preferences` are the reader's settings, `slots` keep the reader's saves and `readRecord` the
// pages read (null: none are kept).
// `limits` count the passes of the run so far.
void runStory(const PlayerOptions& options, RunLimits& limits, SceneState& scene,
              WindowActions& window, Preferences& preferences, const SaveSlots* slots,
              ReadRecordKeeper* readRecord);

}  // namespace tsuzuri
