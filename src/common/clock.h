// The player's millisecond clock. A run makes one and hands it to everything that reads the
// time or pauses (the loop, the story, the mixer, the cue worker, the frame and the recorder),
// so that the whole run keeps one time, whoever keeps it: the machine's steady clock, or a
// test's own.
#pragma once

#include <cstdint>

namespace tsuzuri {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds as a wrapping 32-bit value; compare by unsigned difference. Any thread.
    virtual std::uint32_t nowMs() const = 0;
    // The caller waits `milliseconds` before it goes on (the loop's pause between passes).
    virtual void pause(std::uint32_t milliseconds) = 0;
};

}  // namespace tsuzuri
