// Wao sequences: files of timed sounds, turned into the cue tracks the worker plays.
#pragma once

#include <cstdint>

#include "common/game_path.h"
#include "common/status.h"

namespace tsuzuri {

// Reads a Wao sequence file into cue track `track` (0 plays once, 1 repeats), loading each of
// its sounds. Answers a negative status when the file cannot be read.
Status loadCueTrack(const GamePath& path, std::int32_t track);

// Removes every cue of the track, releasing its sound. Takes cueLock. Answers 0.
Status clearCueTrack(std::int32_t track);

}  // namespace tsuzuri
