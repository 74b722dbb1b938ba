// The cue worker: a second thread that starts the timed cues of the two cue tracks
// (script_engine/cue_tracks.h), which the sequence loader builds.
#pragma once

#include <cstdint>

#include "common/clock.h"
#include "common/status.h"
#include "script_engine/cue_tracks.h"

namespace tsuzuri {

// Starts the worker thread, whose first pass runs at once and every later one about 10 ms
// after the previous ended, each at the time `clock` reads then (the clock must outlive the
// worker); answers a negative status when the thread cannot be created (or is running
// already).
Status startCueWorker(const Clock& clock);
// Stops the worker, waits for it to end and clears both tracks. Answers 0.
Status stopCueWorker();

// One pass of the worker over both tracks at clock time `nowMs` (also used by tests). Takes
// cueLock.
void runCueWorkerPass(std::uint32_t nowMs);

}  // namespace tsuzuri
