// The sound layer: WAV files loaded into playable sounds, started, stopped and released by a
// small integer handle. Shared by the main thread and the cue worker.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/game_path.h"
#include "common/status.h"
#include "platform/platform.h"
#include "sound/sound_group.h"

namespace tsuzuri {

// Handle of a loaded sound, issued 1, 2, 3, ...; -1 means a failed load. 0 and -1 never name
// a sound.
using SoundId = std::int32_t;

// Opens the sound output and waits (a few seconds at most) until it runs. Fails only without a
// window. A machine without any sound output, or one that does not start, plays on silently:
// sounds still load and keep their lengths, and their playing states advance with the clock as if
// heard. Every sound's time is kept by `clock`, the run's, until SoundShutdown.
Status SoundInit(platform::WindowHandle window, const Clock& clock);
// Whether SoundInit opens the machine's sound output (the default). Without it sounds behave
// exactly as on a machine without sound output; a recording still mixes them on the clock.
void SoundUseOutputDevice(bool use);
// Closes the output and releases every sound, smallest id first. Answers 0.
Status SoundShutdown();
// Reads, checks and converts a WAV file into a new sound. Answers its id, or -1 when the file
// cannot be read, is not an accepted WAV file, or has a format the output cannot take (which
// is also reported in a message box).
// Its volume is that of `group` times the master volume.
SoundId SoundLoad(const GamePath& path, SoundGroup group = SoundGroup::Effects);
// Why SoundLoad would refuse the file, without loading it or showing anything; nothing when
// it would take it.
std::optional<std::string> SoundRefusal(const GamePath& path);
// Silences (at SoundDueTime()) and frees the sound. E_FAIL for an id not loaded.
Status SoundRelease(SoundId id);
// Starts the sound from where it stands (from its beginning once it has played to its end),
// once or looping; a playing sound keeps playing. It is due at SoundDueTime() (a time already
// past starts at once): the mix starts it on the frame that stands for that time, so sounds due
// together start together. E_FAIL for an id not loaded.
Status SoundPlay(SoundId id, std::int32_t loop);
// Stops the sound without rewinding, at SoundDueTime(). E_FAIL for an id not loaded.
Status SoundStop(SoundId id);

// When a play, stop or release on this thread is due: the clock time at which the story step
// under way on it began (see SoundStep), or the clock now outside a step.
std::uint32_t SoundDueTime();
// Marks one story step on this thread, from its construction to its destruction: everything
// the step starts, stops or releases is due at the clock time it began, so that a sound line
// and a sequence's first cue in one step start on the same sample, and music that replaces
// other music starts on the sample where the old one stops.
// A step may be given the time it stands for instead (a sequence's cue, handed ahead of it).
class SoundStep {
public:
    SoundStep();
    explicit SoundStep(std::uint32_t dueMs);
    ~SoundStep();
    SoundStep(const SoundStep&) = delete;
    SoundStep& operator=(const SoundStep&) = delete;

private:
    std::optional<std::uint32_t> outer_;
};
// The master volume of everything heard and recorded, 0 to 100 (100, the default, plays the
// sounds as they are); values outside are clamped. Muting silences the output and keeps the
// volume for when it is unmuted. A change while sound plays glides over a few milliseconds.
void SoundSetVolume(int volume);
int SoundVolume();
void SoundSetMuted(bool muted);
bool SoundMuted();
// The volume of one group's sounds, 0 to 100 (100 by default), under the master volume; a
// change glides as the master volume's does.
void SoundSetGroupVolume(SoundGroup group, int volume);
int SoundGroupVolume(SoundGroup group);

// The sound's length in seconds from its WAV header, or 0.0 for an id not loaded. Main thread.
double SoundLength(SoundId id);
// Whether the sound is playing now; a one-shot that has played to its end is not. False for an
// id not loaded.
bool SoundIsPlaying(SoundId id);

}  // namespace tsuzuri
