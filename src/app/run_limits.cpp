#include "app/run_limits.h"

namespace tsuzuri {

void RunLimits::loopStarts(std::uint32_t nowMs) {
    if (!startMs_) {
        startMs_ = nowMs;
    }
}

bool RunLimits::passEnded(std::uint32_t nowMs) {
    loopStarts(nowMs);
    ++passes_;
    const std::uint32_t elapsedMs = nowMs - *startMs_;
    return (options_.maxPasses != 0 && passes_ >= options_.maxPasses) ||
           (options_.maxSeconds > 0.0 && elapsedMs >= options_.maxSeconds * 1000.0);
}

}  // namespace tsuzuri
