#include "script_engine/cue_tracks.h"

namespace tsuzuri {

CueTrack cueTracks[2];
std::recursive_mutex cueLock;

}  // namespace tsuzuri
