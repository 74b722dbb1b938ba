#include "support/scoped_sound.h"

#include "platform/main_window.h"
#include "platform/platform.h"
#include "sound/sound_layer.h"

namespace tsuzuri::test {

Status ScopedSound::start(const char* driver, const char* diskFile) {
    stop();
    started_ = true;
    env_.emplace();
    env_->set("SDL_AUDIODRIVER", driver);
    if (diskFile != nullptr) {
        env_->set("SDL_DISKAUDIOFILE", diskFile);
    }
    standInWindow_ = mainWindow == 0;
    if (standInWindow_) {
        mainWindow = 1;
    }
    return SoundInit(platform::systemClock());
}

void ScopedSound::stop() {
    if (!started_) {
        return;
    }
    started_ = false;
    SoundShutdown();
    if (standInWindow_) {
        mainWindow = 0;
        standInWindow_ = false;
    }
    env_.reset();
}

}  // namespace tsuzuri::test
