#include "script_engine/wao_sequence.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "common/file_buffer.h"
#include "script_engine/cue_tracks.h"
#include "script_engine/script_file.h"
#include "sound/sound_layer.h"

namespace tsuzuri {
namespace {

// Seconds to whole milliseconds, truncated, held to what 32 bits can count: a negative time
// is 0 and an overlong one (up to infinity) the largest count, rather than a value that
// wraps around or a conversion the language leaves undefined.
std::uint32_t toMilliseconds(double seconds) {
    const double ms = seconds * 1000.0;
    if (!(ms > 0.0)) {
        return 0;  // also NaN
    }
    if (ms >= 4294967295.0) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(ms);
}

// The seconds of a wait line ("* 1.5秒ウェイト"; the unit after the number is optional);
// nothing when the number cannot be read, or reads as infinite or not a number.
std::optional<double> readWait(const char* line) {
    double seconds = 0.0;
    if (std::sscanf(line, "* %lf", &seconds) != 1 || !std::isfinite(seconds)) {
        return std::nullopt;
    }
    return seconds;
}

bool endsWithWav(const char* line, std::size_t length) {
    return length >= 4 && std::memcmp(line + length - 4, ".wav", 4) == 0;
}

}  // namespace

void forEachWaoLine(FileBuffer& file,
                    const std::function<void(std::int32_t fileLine, const char* line)>& visit) {
    FileLineCounter fileLines;
    char line[kMaxLineBytes + 1];
    std::memset(line, 0, sizeof line);
    readScriptLine(file, line);  // the title line
    while (file.readPos < file.size) {
        const std::int32_t start = file.readPos;
        std::memset(line, 0, sizeof line);
        readScriptLine(file, line);
        if (line[0] != '\0') {  // a line ends at its first NUL
            visit(fileLines.lineAt(file, start), line);
        }
    }
}

std::vector<WaoStep> parseWaoSequence(FileBuffer& file) {
    std::vector<WaoStep> steps;
    forEachWaoLine(file, [&steps](std::int32_t fileLine, const char* line) {
        const std::size_t length = std::strlen(line);
        WaoStep step;
        if (line[0] == '*') {
            step.isWait = true;
            step.seconds = readWait(line);
        } else if (endsWithWav(line, length)) {
            step.sound.assign(line, length);
        } else {
            return;
        }
        step.fileLine = fileLine;
        steps.push_back(std::move(step));
    });
    return steps;
}

Status loadCueTrack(const GamePath& path, std::int32_t track) {
    if (track != 0 && track != 1) {
        return E_FAIL;
    }
    std::lock_guard lock(cueLock);
    FileBuffer file;
    if (!loadWholeFile(file, path, kMaxTextFileBytes)) {
        releaseFileBuffer(file);
        return E_FAIL;
    }
    clearCueTrack(track);
    CueTrack& cueTrack = cueTracks[track];

    // All in seconds from the start of the run. The cursor is where the next sound starts;
    // a wait moves it, but never back past the start of the most recent sound, nor below 0.
    double cursor = 0.0;
    double latestEnd = 0.0;
    double lastLength = 0.0;

    for (const WaoStep& step : parseWaoSequence(file)) {
        if (step.isWait) {
            double wait = step.seconds.value_or(0.0);
            if (wait + lastLength < 0.0) {
                wait = -lastLength;
            }
            cursor = std::max(0.0, cursor + wait);
            latestEnd = std::max(latestEnd, cursor);
            continue;
        }
        // The sounds are in the same game's "wave" folder as the sequence.
        const SoundId id = SoundLoad(GamePath{path.folder, "wave\\" + step.sound});
        if (id == -1) {
            continue;  // the sounds after it move up by its length
        }
        cueTrack.cues.push_back(std::make_unique<Cue>(Cue{id, toMilliseconds(cursor)}));
        lastLength = SoundLength(id);
        cursor += lastLength;
        latestEnd = std::max(latestEnd, cursor);
    }
    std::stable_sort(cueTrack.cues.begin(), cueTrack.cues.end(),
                     [](const std::unique_ptr<Cue>& a, const std::unique_ptr<Cue>& b) {
                         return a->offsetMs < b->offsetMs;
                     });
    cueTrack.loops = track;
    cueTrack.nextCue = 0;
    cueTrack.periodMs = toMilliseconds(latestEnd);
    // The run is due when the story step that built it began, together with the step's other
    // sounds; its first cues go to the sound layer now, the rest with the worker's passes.
    cueTrack.startTime = SoundDueTime();
    if (cueTrack.startTime != 0) {
        handDueCues(cueTrack, cueTrack.startTime);
    }
    releaseFileBuffer(file);
    return S_OK;
}

Status clearCueTrack(std::int32_t track) {
    if (track != 0 && track != 1) {
        return S_OK;
    }
    std::lock_guard lock(cueLock);
    CueTrack& cueTrack = cueTracks[track];
    while (!cueTrack.cues.empty()) {
        std::unique_ptr<Cue> cue = std::move(cueTrack.cues.front());
        cueTrack.cues.erase(cueTrack.cues.begin());
        SoundRelease(cue->soundId);
    }
    return S_OK;
}

}  // namespace tsuzuri
