// A clock the test moves by hand: `now` is what it reads, and a pause moves it on.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/clock.h"

namespace tsuzuri::test {

class FakeClock final : public Clock {
public:
    std::atomic<std::uint32_t> now{0};

    std::uint32_t nowMs() const override { return now.load(); }
    void pause(std::uint32_t milliseconds) override { now += milliseconds; }
};

}  // namespace tsuzuri::test
