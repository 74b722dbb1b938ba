#include "script_engine/cue_tracks.h"

namespace tsuzuri {

CueTrack cueTracks[2];
std::recursive_mutex cueLock;

void handDueCues(CueTrack& track, std::uint32_t now) {
    std::lock_guard lock(cueLock);
    // Times are compared by signed differences, so they stay right when the clock wraps.
    const auto notYet = [now](std::uint32_t due) {
        return static_cast<std::int32_t>(due - now) > static_cast<std::int32_t>(kCueLookAheadMs);
    };
    while (true) {
        const auto count = static_cast<std::int32_t>(track.cues.size());
        while (track.nextCue < count) {
            const Cue& cue = *track.cues[static_cast<std::size_t>(track.nextCue)];
            const std::uint32_t due = track.startTime + cue.offsetMs;
            if (notYet(due)) {
                return;
            }
            const SoundStep dueThen(due);
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
        std::uint32_t next = track.startTime + track.periodMs;
        const auto behind = static_cast<std::int32_t>(now - next);
        if (behind > static_cast<std::int32_t>(track.periodMs)) {
            next += static_cast<std::uint32_t>(behind) / track.periodMs * track.periodMs;
        }
        if (notYet(next)) {
            return;
        }
        track.startTime = next;
        track.nextCue = 0;
    }
}

}  // namespace tsuzuri
