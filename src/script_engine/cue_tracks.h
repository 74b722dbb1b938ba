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
    std::int32_t nextCue = 0;                // index of the next cue to hand to the sound layer
    // Clock time the current run is due to start; 0 = not started (the worker starts it at its
    // next pass). A build sets it to the time of the story step that built the track.
    std::uint32_t startTime = 0;
    std::uint32_t periodMs = 0;  // length of one run
};

// Track 0 plays once, track 1 repeats. Every access holds cueLock once the worker runs.
extern CueTrack cueTracks[2];
// Re-entrant: building a track clears it while already holding the lock. Always taken
// before the sound layer's lock, never after.
extern std::recursive_mutex cueLock;

// How long before its time a cue is handed to the sound layer, which starts it on the sample
// its time stands for: more than a few of the worker's passes, so that a pass held up on a
// busy machine still hands every cue in time.
constexpr std::uint32_t kCueLookAheadMs = 50;

// Hands to the sound layer (played once) every cue of the track due by `now` +
// kCueLookAheadMs, each with the time it is due: the run's start plus its offset. Once all
// cues of a repeating track are handed, its next run is due exactly periodMs after the start
// of the one before (a run of period 0 begins at the next pass instead, and a track that has
// fallen more than a period behind skips the runs it missed). Offsets and periods may take the
// clock's whole range. Takes cueLock.
void handDueCues(CueTrack& track, std::uint32_t now);

}  // namespace tsuzuri
