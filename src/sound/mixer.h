// The mixer behind the sound layer. Each loaded sound is a voice that holds its frames in the
// output's sample format and channels (converted to the output rate as they play); the output
// device's thread sums the playing voices into each buffer it fills.
//
// Every start and stop is given with the clock time it is due, and lands on the frame of the
// mix that stands for that time: the mix runs a constant delay behind the clock
// (kMixDelayMs), so a start that reaches the mixer within that delay after its time still
// lands on its sample, and starts due together start together. A start that comes later than
// that begins on the first frame not yet mixed.
//
// Two sides share the mixer. The control side (the threads that load, start and stop sounds)
// keeps each voice's course by the clock, which answers what a voice is doing and decides what
// a play or stop means (resume, restart, carry on); it hands the mixing side exact events:
// start at this time from this frame, stop at this time. The mixing side is the output
// device's thread; it never waits on a lock the control side holds, so a control thread that
// is held up (a busy machine) never holds up the sound. Without a device the control side
// mixes, or just moves the voices on by the clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "common/clock.h"
#include "platform/audio.h"
#include "sound/sound_group.h"
#include "sound/voice_frames.h"
#include "sound/voice_resampler.h"

namespace tsuzuri {

// How far the mix runs behind the clock with an output device: one device buffer, and 5 ms
// for a start to reach the mixer after its time (a story step's other lines, a sequence's
// build) and for the jitter of the device's requests.
constexpr std::uint32_t kMixDelayMs =
    platform::kOutputBufferFrames * 1000 / platform::kOutputRate + 5;

// A voice as the control side sees it at one moment.
struct VoiceState {
    std::uint32_t position = 0;  // the frame it plays (or would go on from) then
    bool playing = false;        // started and not stopped or ended (a start due later counts)
    bool looping = false;
};

// The mixing side's own state of a voice; only the mixing side touches it.
struct VoiceMix {
    std::uint32_t position = 0;
    bool playing = false;
    bool looping = false;
    // Started again while its last frames were still to be played: it starts again from its
    // beginning, `restartLooping` or not, as soon as it has played them.
    bool restartAtEnd = false;
    bool restartLooping = false;
};

// The control side's course of a voice, by the clock (in ticks: 48 a millisecond).
struct VoiceCourse {
    bool playing = false;
    bool looping = false;
    std::int64_t startTick = 0;      // when the current play begins or began
    std::uint32_t startFrame = 0;    // where it begins
    std::uint32_t stoppedFrame = 0;  // where a stopped voice goes on from
    std::int64_t lastEventTick = std::numeric_limits<std::int64_t>::min();
};

struct Voice {
    // Interleaved 16-bit stereo frames held for good: all of a short voice, the head of a long
    // one (whose other frames come through `stream`); fixed once the voice is hooked.
    std::vector<std::int16_t> samples;
    std::uint32_t frameCount = 0;  // the voice's length in output frames
    // Set when the samples are at another rate than the output's: they are converted while
    // they play, and the voice has `sourceFrames` frames at that rate.
    VoiceResamplerPtr resampler;
    std::uint32_t sourceFrames = 0;
    // How many of the frames in `samples` have been read so far; those beyond are silence to
    // the mixer. Only ever grows.
    std::atomic<std::uint32_t> loadedFrames{std::numeric_limits<std::uint32_t>::max()};
    VoiceStream stream;                      // the frames after the head of a long voice
    SoundGroup group = SoundGroup::Effects;  // fixed once the voice is hooked
    VoiceMix mix;                            // the mixing side's
    VoiceCourse course;                      // the control side's
    // Set by the mixing side once it has let go of a retired voice for good.
    std::atomic<bool> released{false};
};

// The clock the mixer reads (the sound layer hands it the run's); null: the platform's.
void setMixerClock(const Clock* clock);
// The mixer's clock now.
std::uint32_t mixerNow();

// Whether an output device is pulling frames (through mixVoices). With a device the mix runs
// kMixDelayMs behind the clock; without one the clock moves the voices on exactly as if they
// were heard, so everything that depends on a sound playing or having ended works the same on
// a machine without sound. Attach before the device starts asking; detach after it has
// stopped.
void setMixerOutputAttached(bool attached);
bool isMixerOutputAttached();

// Without a device, the mix can still be made on the clock, for a recording: from `originMs`
// on, each mixDueFrames call mixes the frames that have come due since the one before, and a
// sound due at clock time T begins exactly (T - originMs) * rate / 1000 frames into the mix.
// Stopped by setMixerOutputAttached(false).
void attachMixerToClock(std::uint32_t originMs);
// Mixes the frames due by the clock and hands them to the mix tap; nothing unless the mixer
// was attached to the clock.
void mixDueFrames();

// Adds a voice to the mix (stopped, at its start); mixing may touch it from then on.
void hookVoice(Voice& voice);
// Takes the voice out of the mix at clock time `dueMs` (it falls silent on that frame) and
// frees it once the mixing side has let go of it.
void retireVoice(std::unique_ptr<Voice> voice, std::uint32_t dueMs);
// Frees the retired voices the mixing side has let go of. Called by every control operation;
// with `all` (only once no device is mixing) every retired voice goes.
void reapVoices(bool all = false);

// Starts the voice at clock time `dueMs` from where it stands then, once or looping. A one-shot
// that has played to its end by then starts again from its beginning; one that ends within a
// millisecond of it (a repeat whose period was cut to whole milliseconds) starts again straight
// after its end; a voice still playing keeps playing (taking the new loop flag; going from
// looping to once, its end counts from where it stands then).
void playVoice(Voice& voice, bool loop, std::uint32_t dueMs);
// Stops the voice at clock time `dueMs` where it stands then, without rewinding.
void stopVoice(Voice& voice, std::uint32_t dueMs);
// Where the voice stands now by the clock, as the next play or stop call due now would find it.
VoiceState voiceStateNow(Voice& voice);

// Receives a copy of every mixed buffer, on the thread that mixed it (for recording what was
// heard), with the clock time its first frame stands for. It must return quickly and never
// wait on the engine's locks. Null: none.
using MixTap = void (*)(const std::int16_t* frames, int frameCount, std::uint32_t startMs);
void setMixTap(MixTap tap);

// The gain on the whole mix, in hundredths (0 to 100; 100, the default, leaves the mix exactly
// as summed). What the device plays and what a recording captures both pass through it. A
// change made while mixing is attached glides there over kGainRampFrames, so that it does not
// click; before that it holds from the first frame.
constexpr int kGainRampFrames = platform::kOutputRate / 200;  // 5 ms
void setMixGain(int hundredths);
// The same for the voices of one group only, before the gain on the whole mix.
void setMixGroupGain(SoundGroup group, int hundredths);

// Fills `frameCount` output frames with the sum of the playing voices, saturating at the
// limits of the sample range. This is what the output device's thread calls. Each fill stands
// for the clock time kMixDelayMs before its request, kept steady over the requests: one
// device's requests jitter and drift against the clock, so the time a fill stands for follows
// them slowly, and jumps only when they have moved by more than a buffer or two (the device
// stalled, or ran dry).
void mixVoices(std::int16_t* frames, int frameCount);

}  // namespace tsuzuri
