// Sound output is not built yet: the layer comes up and answers every sound as unavailable,
// which the engine treats exactly like a sound file that cannot be used.
#include "sound/sound_layer.h"

#include "shell/main_window.h"

namespace tsuzuri {

Status SoundInit() {
    return mainWindow == 0 ? E_FAIL : S_OK;
}

Status SoundShutdown() {
    return S_OK;
}

SoundId SoundLoad(const GamePath&) {
    return -1;
}

Status SoundRelease(SoundId) {
    return E_FAIL;
}

Status SoundPlay(SoundId, std::int32_t) {
    return E_FAIL;
}

Status SoundStop(SoundId) {
    return E_FAIL;
}

double SoundLength(SoundId) {
    return 0.0;
}

}  // namespace tsuzuri
