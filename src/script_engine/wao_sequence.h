// Wao sequences: files of timed sounds, turned into the cue tracks the worker plays.
#pragma once

#include <cstdint>

#include "common/status.h"

namespace tsuzuri {

// Removes every cue of the track, releasing its sound. Takes cueLock. Answers 0.
Status clearCueTrack(std::int32_t track);

}  // namespace tsuzuri
