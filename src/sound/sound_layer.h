// The sound layer: WAV files loaded into playable sounds, started, stopped and released by a
// small integer handle. Shared by the main thread and the cue worker.
#pragma once

#include <cstdint>

#include "common/game_path.h"
#include "common/status.h"

namespace tsuzuri {

// Handle of a loaded sound, issued 1, 2, 3, ...; -1 means a failed load. 0 and -1 never name
// a sound.
using SoundId = std::int32_t;

Status SoundInit();
Status SoundShutdown();
SoundId SoundLoad(const GamePath& path);
Status SoundRelease(SoundId id);
Status SoundPlay(SoundId id, std::int32_t loop);
Status SoundStop(SoundId id);
double SoundLength(SoundId id);

}  // namespace tsuzuri
