#include "script_engine/cue_tracks.h"

#include <optional>

namespace tsuzuri {

CueTrack cueTracks[2];
std::recursive_mutex cueLock;

namespace {

// A run whose start lies less than this ahead of the look-ahead's edge has not begun yet (the
// story set it from a clock reading later than the pass's); anything further reads as time
// elapsed since it began. Elapsed times are unsigned so that a cue or a period of up to the
// clock's whole range (49 days) is due once that much has passed, not at once.
constexpr std::uint32_t kStartAheadMarginMs = 60'000;

// Milliseconds from the start of the run to `now` + the look-ahead; nothing when the run has
// not begun.
std::optional<std::uint32_t> elapsedSinceStart(const CueTrack& track, std::uint32_t now) {
    const std::uint32_t elapsed = now + kCueLookAheadMs - track.startTime;
    if (elapsed > 0xFFFFFFFFu - kStartAheadMarginMs) {
        return std::nullopt;
    }
    return elapsed;
}

}  // namespace

void handDueCues(CueTrack& track, std::uint32_t now) {
    std::lock_guard lock(cueLock);
    while (true) {
        const std::optional<std::uint32_t> elapsed = elapsedSinceStart(track, now);
        if (!elapsed) {
            return;
        }
        const auto count = static_cast<std::int32_t>(track.cues.size());
        while (track.nextCue < count) {
            const Cue& cue = *track.cues[static_cast<std::size_t>(track.nextCue)];
            if (cue.offsetMs > *elapsed) {
                return;
            }
            const SoundStep dueThen(track.startTime + cue.offsetMs);
            SoundPlay(cue.soundId, 0);
            ++track.nextCue;
        }
        if (track.loops == 0) {
            return;
        }
        if (track.periodMs == 0) {
            track.startTime = 0;  // the next pass begins the next run
            return;
        }
        if (track.periodMs > *elapsed) {
            return;
        }
        // The next run, or, for a track held up more than a period past it, the latest run
        // that has begun: the runs missed are skipped and the beat is kept. Each turn of the
        // loop moves the start on by at least a period, so a pass ends after at most
        // 2 + look-ahead / period runs.
        std::int64_t advance = track.periodMs;
        const std::int64_t behindNow =
            std::int64_t{*elapsed} - std::int64_t{kCueLookAheadMs} - track.periodMs;
        if (behindNow > std::int64_t{track.periodMs}) {
            advance += behindNow / track.periodMs * track.periodMs;
        }
        track.startTime += static_cast<std::uint32_t>(advance);
        track.nextCue = 0;
    }
}

}  // namespace tsuzuri
