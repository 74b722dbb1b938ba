// The two tracks of timed sound cues: built and cleared by the sequence loader, played by the
// cue worker thread of the shell, which reads them from above.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sound/sound_layer.h"

namespace tsuzuri {

struct Cue {
    SoundId soundId = 0;
    std::uint32_t offsetMs = 0;  // from the start of the run
};

struct CueTrack {
    std::vector<std::unique_ptr<Cue>> cues;  // sorted by offsetMs; the track owns them
    std::int32_t loops = 0;                  // non-zero: the track repeats after periodMs
    std::int32_t nextCue = 0;                // index of the next cue to start
    std::uint32_t startTime = 0;             // clock at the start of the run; 0 = not started
    std::uint32_t periodMs = 0;              // length of one run
};

// Track 0 plays once, track 1 repeats. Every access holds cueLock once the worker runs.
extern CueTrack cueTracks[2];
// Re-entrant: building a track clears it while already holding the lock. Always taken
// before the sound layer's lock, never after.
extern std::recursive_mutex cueLock;

}  // namespace tsuzuri
