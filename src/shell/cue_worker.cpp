#include "shell/cue_worker.h"

#include <thread>

#include "platform/platform.h"
#include "script_engine/wao_sequence.h"

namespace tsuzuri {

CueTrack cueTracks[2];
std::recursive_mutex cueLock;

namespace {

constexpr std::uint32_t kWorkerPeriodMs = 10;

std::uint8_t cueWorkerRunning = 0;
std::thread cueWorkerThread;

// Starts at most one due cue of the track, or begins the next run of a repeating track.
void advanceTrack(CueTrack& track) {
    if (track.startTime == 0) {
        track.startTime = platform::timeGetTime();
        track.nextCue = 0;
    }
    const auto count = static_cast<std::int32_t>(track.cues.size());
    const std::uint32_t elapsed = platform::timeGetTime() - track.startTime;
    if (track.nextCue < count) {
        const Cue& cue = *track.cues[static_cast<size_t>(track.nextCue)];
        if (cue.offsetMs <= elapsed) {
            SoundPlay(cue.soundId, 0);
            ++track.nextCue;
        }
    } else if (track.loops != 0 && track.periodMs <= elapsed) {
        track.startTime = 0;
    }
}

// Plays the cues until asked to stop; the pass that sees the flag cleared is the last.
void runCueWorker() {
    for (;;) {
        {
            std::lock_guard lock(cueLock);
            advanceTrack(cueTracks[0]);
            advanceTrack(cueTracks[1]);
            if (cueWorkerRunning == 0) {
                return;
            }
        }
        platform::sleepMs(kWorkerPeriodMs);
    }
}

}  // namespace

void runCueWorkerPass() {
    std::lock_guard lock(cueLock);
    advanceTrack(cueTracks[0]);
    advanceTrack(cueTracks[1]);
}

Status startCueWorker() {
    {
        std::lock_guard lock(cueLock);
        cueWorkerRunning = 1;
    }
    try {
        cueWorkerThread = std::thread(runCueWorker);
    } catch (const std::system_error&) {
        return E_FAIL;
    }
    return S_OK;
}

Status stopCueWorker() {
    {
        std::lock_guard lock(cueLock);
        cueWorkerRunning = 0;
    }
    if (cueWorkerThread.joinable()) {
        cueWorkerThread.join();
    }
    clearCueTrack(0);
    clearCueTrack(1);
    return S_OK;
}

}  // namespace tsuzuri
