#include "app/cue_worker.h"

#include <functional>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "script_engine/wao_sequence.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kWorkerPeriodMs = 10;

std::uint8_t cueWorkerRunning = 0;  // guarded by cueLock
std::thread cueWorkerThread;        // main thread only
// Begins a run that has not started yet and hands the track's cues that are due soon to the
// sound layer, each with its own time.
void advanceTrack(CueTrack& track, std::uint32_t at) {
    if (track.startTime == 0) {
        track.startTime = at;
        track.nextCue = 0;
    }
    handDueCues(track, at);
}

// One pass; answers whether the worker is to go on. Holds cueLock throughout, so the sounds
// are started (taking the sound layer's lock inside) in the lock order cueLock, SoundLock.
bool runPass(std::uint32_t now) {
    std::lock_guard lock(cueLock);
    advanceTrack(cueTracks[0], now);
    advanceTrack(cueTracks[1], now);
    return cueWorkerRunning != 0;
}

// Plays the cues until asked to stop; the pass that sees the flag cleared is the last. The
// lock is free while the worker sleeps.
void runCueWorker(const Clock& clock) {
    while (runPass(clock.nowMs())) {
        platform::sleepMs(kWorkerPeriodMs);
    }
}

}  // namespace

void runCueWorkerPass(std::uint32_t nowMs) {
    runPass(nowMs);
}

Status startCueWorker(const Clock& clock) {
    if (cueWorkerThread.joinable()) {
        return E_FAIL;
    }
    {
        std::lock_guard lock(cueLock);
        cueWorkerRunning = 1;
    }
    try {
        cueWorkerThread = std::thread(runCueWorker, std::cref(clock));
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
