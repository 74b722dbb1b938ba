// The sound layer brought up for a test as the player brings it up once its window is open, on
// a named SDL output driver, and taken down again with what it changed put back.
#pragma once

#include <optional>

#include "common/status.h"
#include "support/scoped_env.h"

namespace tsuzuri::test {

class ScopedSound {
public:
    ScopedSound() = default;
    ~ScopedSound() { stop(); }
    ScopedSound(const ScopedSound&) = delete;
    ScopedSound& operator=(const ScopedSound&) = delete;

    // Sets SDL_AUDIODRIVER to `driver` (and SDL_DISKAUDIOFILE, where the "disk" driver writes,
    // when given), stands in a window handle when no window is open (the sound layer only asks
    // that there is one), then starts the sound layer. Answers SoundInit's status.
    Status start(const char* driver, const char* diskFile = nullptr);
    // Shuts the sound layer down and puts back the window handle and the environment. Does
    // nothing unless started.
    void stop();

private:
    bool started_ = false;
    std::optional<ScopedEnv> env_;
};

}  // namespace tsuzuri::test
