#include "script_engine/wao_sequence.h"

#include "shell/cue_worker.h"
#include "sound/sound_layer.h"

namespace tsuzuri {

// Sequences are not read yet: every sequence file counts as unreadable.
Status loadCueTrack(const GamePath&, std::int32_t) {
    return E_FAIL;
}

Status clearCueTrack(std::int32_t track) {
    if (track != 0 && track != 1) {
        return S_OK;
    }
    std::lock_guard lock(cueLock);
    CueTrack& cueTrack = cueTracks[track];
    while (!cueTrack.cues.empty()) {
        std::unique_ptr<Cue> cue = std::move(cueTrack.cues.front());
        cueTrack.cues.erase(cueTrack.cues.begin());
        SoundRelease(cue->soundId);
    }
    return S_OK;
}

}  // namespace tsuzuri
