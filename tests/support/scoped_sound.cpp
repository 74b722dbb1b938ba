#include "support/scoped_sound.h"

#include "platform/platform.h"
#include "sound/sound_layer.h"

namespace tsuzuri::test {

namespace {
constexpr platform::WindowHandle kStandInWindow = 1;
}  // namespace

Status ScopedSound::start(const char* driver, const char* diskFile) {
    stop();
    started_ = true;
    env_.emplace();
    env_->set("SDL_AUDIODRIVER", driver);
    if (diskFile != nullptr) {
        env_->set("SDL_DISKAUDIOFILE", diskFile);
    }
    // The sound layer asks for a window only to know one exists; any handle stands in.
    return SoundInit(kStandInWindow, platform::systemClock());
}

void ScopedSound::stop() {
    if (!started_) {
        return;
    }
    started_ = false;
    SoundShutdown();
    env_.reset();
}

}  // namespace tsuzuri::test
