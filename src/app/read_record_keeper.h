// Keeps the game's record of read pages while the story runs: written when pages were shown
// since it was last written, at once and then at most every kKeepIntervalMs, and at the end of
// the run.
#pragma once

#include <cstdint>
#include <filesystem>

#include "script_engine/read_lines.h"

namespace tsuzuri {

class ReadRecordKeeper {
public:
    static constexpr std::uint32_t kKeepIntervalMs = 10'000;

    // Loads the record of `file` into `lines` (a damaged one is reported on stderr and counts
    // as nothing read; the next write replaces it). Both outlive the keeper.
    ReadRecordKeeper(std::filesystem::path file, ReadLines& lines);

    // Writes the record when it has changed, unless it was written less than the interval ago.
    void keepIfDue(std::uint32_t nowMs);
    // Writes the record when it has changed.
    void keep();

private:
    std::filesystem::path file_;
    const ReadLines& lines_;
    std::uint64_t keptChanges_ = 0;
    std::uint32_t keptAtMs_ = 0;
    bool keptOnce_ = false;
    bool failureReported_ = false;
};

}  // namespace tsuzuri
