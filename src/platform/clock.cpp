// The millisecond clock and sleeping: the steady clock both backends use, and the public calls,
// which go through the selected backend.
#include <chrono>
#include <thread>

#include "platform/backend.h"
#include "platform/platform.h"

namespace tsuzuri::platform {

std::uint32_t steadyClockMs() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

void steadySleepMs(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t timeGetTime() {
    return selectedBackend().timeGetTime();
}

void sleepMs(std::uint32_t milliseconds) {
    selectedBackend().sleepMs(milliseconds);
}

namespace {

class SystemClock final : public Clock {
public:
    std::uint32_t nowMs() const override { return timeGetTime(); }
    void pause(std::uint32_t milliseconds) override { sleepMs(milliseconds); }
};

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

// Sleeps and the steady clock already have millisecond resolution here.
void timeBeginPeriod(std::uint32_t) {}
void timeEndPeriod(std::uint32_t) {}

}  // namespace tsuzuri::platform
