// Wao sequences: files of timed sounds, turned into the cue tracks the worker plays.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_buffer.h"
#include "common/game_path.h"
#include "common/status.h"

namespace tsuzuri {

// Reads a Wao sequence file into cue track `track` (0 plays once, 1 repeats), loading each of
// its sounds from the game's "wave" folder, under cueLock. The first line is a title. A line
// starting "*" is a wait ("* 0.5秒ウェイト", seconds, possibly negative); a line ending ".wav"
// names a sound, which starts where the previous one ended plus the waits since. A negative
// wait goes back at most to the start of the latest sound, and never before the run's start; a
// wait whose number cannot be read (or is infinite or not a number) counts as 0. Offsets are
// whole milliseconds, truncated and held within 32 bits; the cues are sorted by offset, keeping
// file order among equals. Answers a negative status, leaving the track alone, when the file
// cannot be read.
Status loadCueTrack(const GamePath& path, std::int32_t track);

// One line of a sequence file that does something: a wait or a sound.
struct WaoStep {
    bool isWait = false;
    std::optional<double> seconds;  // a wait's seconds; none when its number cannot be read
    std::string sound;              // a sound's name in the "wave" folder
    std::int32_t fileLine = 0;      // counted from 1 as an editor counts lines
};

// The waits and sounds of a sequence file from its read position on, in file order: the first
// line (the title) and lines that are neither are left out.
std::vector<WaoStep> parseWaoSequence(FileBuffer& file);

// Calls `visit` with each line of a sequence file after its title, from the read position on,
// that is not empty (a line ends at its first NUL), with the line's number in the file.
void forEachWaoLine(FileBuffer& file,
                    const std::function<void(std::int32_t fileLine, const char* line)>& visit);

// Removes every cue of the track, releasing its sound. Takes cueLock. Answers 0.
Status clearCueTrack(std::int32_t track);

}  // namespace tsuzuri
