// The mixer behind the sound layer. Each loaded sound is a voice that holds all its frames in
// the output's sample format and channels (converted to the output rate as they play); the output
// device's thread sums the playing voices into each buffer it fills. Voices are guarded by the
// voice lock, which is held only for short steps (never across a file read or a message box), so
// the device's thread is never kept waiting.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/audio.h"
#include "sound/voice_resampler.h"

namespace tsuzuri {

// Where a voice stands. Guarded by the voice lock.
struct VoiceState {
    std::uint32_t position = 0;  // next frame to play
    bool playing = false;
    bool looping = false;
    std::uint32_t startMs = 0;     // clock reading when the current play began
    std::uint32_t startFrame = 0;  // position then
    // Played again while the device was still playing the last frames of the previous play:
    // it starts again once it has played them, after `restartGapFrames` of silence, the time
    // by which the new play came after the previous one's end by the clock, so a repeat keeps
    // its pause even when the device runs behind the clock.
    bool restartAtEnd = false;
    std::uint32_t restartGapFrames = 0;
    std::uint32_t silentFrames = 0;  // silence still to pass before it sounds again
    // Started and not yet mixed: the next fill begins it `leadInFrames` into its buffer, the
    // time by which the play came after the fill before it (see mixVoices).
    bool awaitingPlacement = false;
    std::uint32_t leadInFrames = 0;
};

struct Voice {
    // Interleaved 16-bit stereo frames; fixed once the voice is made.
    std::vector<std::int16_t> samples;
    std::uint32_t frameCount = 0;  // the voice's length in output frames
    // Set when the samples are at another rate than the output's: they are converted while
    // they play, and `samples` holds `sourceFrames` frames at that rate.
    VoiceResamplerPtr resampler;
    std::uint32_t sourceFrames = 0;
    // How many of the frames in `samples` have been read so far (a large sound is read while
    // it already plays); those beyond are silence to the mixer. Only ever grows.
    std::atomic<std::uint32_t> loadedFrames{std::numeric_limits<std::uint32_t>::max()};
    VoiceState state;
};

// The millisecond clock the mixer reads. Tests set their own; null restores the platform's.
using MixerClock = std::uint32_t (*)();
void setMixerClock(MixerClock clock);

// Whether an output device is pulling frames. With a device, mixing advances the voices; without
// one the clock advances them exactly as if they were heard, so everything that depends on a
// sound playing or having ended works the same on a machine without sound.
void setMixerOutputAttached(bool attached);
bool isMixerOutputAttached();

// Without a device, the mix can still be made on the clock, for a recording: from `originMs`
// on, each mixDueFrames call mixes the frames that have come due since the one before, so a
// sound started at clock time T begins exactly (T - originMs) * rate / 1000 frames into the
// mix. Stopped by setMixerOutputAttached(false).
void attachMixerToClock(std::uint32_t originMs);
// Mixes the frames due by the clock and hands them to the mix tap; nothing unless the mixer
// was attached to the clock.
void mixDueFrames();

// Adds a voice to the mix (stopped, at its start); mixing may touch it from then on.
void hookVoice(Voice& voice);
// Takes a voice out of the mix. Once this returns, mixing never touches it again and it may
// be freed.
void unhookVoice(Voice& voice);

// Starts the voice from where it stands, once or looping. A one-shot voice that has played to
// its end starts again from its beginning; a voice already playing keeps playing (taking the new
// loop flag). A one-shot has played to its end once its remaining length has passed on the
// clock since it was started, whether or not the device has caught up; if the device is still
// playing its last frames, those finish first and the new play follows straight on.
void playVoice(Voice& voice, bool loop);
// Stops the voice where it stands, without rewinding.
void stopVoice(Voice& voice);
// Where the voice stands now, as the next play or stop call would find it.
VoiceState voiceStateNow(Voice& voice);

// Receives a copy of every mixed buffer, on the thread that mixed it (for recording what was
// heard), with the clock time its first frame stands for: the previous fill's time, since a
// fill holds the plays that came after that fill (see mixVoices). It must return quickly and
// never wait on the engine's locks. Null: none.
using MixTap = void (*)(const std::int16_t* frames, int frameCount, std::uint32_t startMs);
void setMixTap(MixTap tap);

// The gain on the whole mix, in hundredths (0 to 100; 100, the default, leaves the mix exactly
// as summed). What the device plays and what a recording captures both pass through it. A
// change made while mixing is attached glides there over kGainRampFrames, so that it does not
// click; before that it holds from the first frame.
constexpr int kGainRampFrames = platform::kOutputRate / 200;  // 5 ms
void setMixGain(int hundredths);

// Fills `frameCount` output frames with the sum of the playing voices, saturating at the
// limits of the sample range. This is what the output device's thread calls.
//
// A voice started between two fills does not begin at the start of the next buffer, which
// would move its start by up to a buffer depending on where the device's cycle happened to
// stand. It begins at its distance, by the clock, from the previous fill (at most the buffer's
// last frame), so starts keep their spacing to the millisecond, for one buffer of constant
// latency. The first fill after the output is attached has no previous fill to measure from
// and starts such voices at its beginning.
void mixVoices(std::int16_t* frames, int frameCount);

}  // namespace tsuzuri
