#include "app/cue_worker.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "script_engine/wao_sequence.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kWorkerPeriodMs = 10;

std::uint8_t cueWorkerRunning = 0;  // guarded by cueLock
std::thread cueWorkerThread;        // main thread only
std::atomic<CueClock> cueClock{nullptr};

std::uint32_t now() {
    const CueClock clock = cueClock.load();
    return clock != nullptr ? clock() : platform::timeGetTime();
}

// Begins a run that has not started yet and hands the track's cues that are due soon to the
// sound layer, each with its own time.
void advanceTrack(CueTrack& track) {
    const std::uint32_t at = now();
    if (track.startTime == 0) {
        track.startTime = at;
        track.nextCue = 0;
    }
    handDueCues(track, at);
}

// One pass; answers whether the worker is to go on. Holds cueLock throughout, so the sounds
// are started (taking the sound layer's lock inside) in the lock order cueLock, SoundLock.
bool runPass() {
    std::lock_guard lock(cueLock);
    advanceTrack(cueTracks[0]);
    advanceTrack(cueTracks[1]);
    return cueWorkerRunning != 0;
}

// Plays the cues until asked to stop; the pass that sees the flag cleared is the last. The
// lock is free while the worker sleeps.
void runCueWorker() {
    while (runPass()) {
        platform::sleepMs(kWorkerPeriodMs);
    }
}

}  // namespace

void runCueWorkerPass() {
    runPass();
}

void setCueWorkerClock(CueClock clock) {
    cueClock.store(clock);
}

Status startCueWorker() {
    if (cueWorkerThread.joinable()) {
        return E_FAIL;
    }
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
