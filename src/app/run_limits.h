// The limits of a run (--frames, --seconds), counted from the first pass of its first loop, so
// that a chooser before the story counts as the story's passes do.
#pragma once

#include <cstdint>
#include <optional>

#include "app/player.h"

namespace tsuzuri {

class RunLimits {
public:
    explicit RunLimits(const PlayerOptions& options) : options_(options) {}

    // A loop starts at `nowMs`; the first one starts the count.
    void loopStarts(std::uint32_t nowMs);
    // Counts a pass that ended at `nowMs`; answers whether a limit has been reached.
    bool passEnded(std::uint32_t nowMs);

private:
    const PlayerOptions& options_;
    std::optional<std::uint32_t> startMs_;
    std::uint64_t passes_ = 0;
};

}  // namespace tsuzuri
