#include "sound/mixer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/audio.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

constexpr int kChannels = platform::kOutputChannels;
// A lead-in never exceeds the buffer it is placed in; this only bounds the arithmetic.
constexpr std::int64_t kMaxLeadIn = platform::kOutputRate;
// The mix's gain is kept in 1/65536ths.
constexpr std::int32_t kUnityGain = 1 << 16;

struct MixerState {
    std::mutex voiceLock;
    std::vector<Voice*> voices;  // hooked voices, in the order they were hooked
    bool attached = false;
    std::atomic<MixerClock> clock{nullptr};
    // Clock reading at the start of the device's last fill; valid once a fill has happened
    // since the output was attached.
    std::uint32_t lastFillMs = 0;
    bool filledBefore = false;
    // Mixing on the clock instead of for a device (see attachMixerToClock).
    bool clockDriven = false;
    std::uint32_t clockOriginMs = 0;
    std::uint64_t clockFramesMixed = 0;
    std::vector<std::int16_t> clockBuffer;
    // The gain on the mix: where it stands, where it goes, and where its glide began, with the
    // frames of the glide still to go (see setMixGain).
    std::int32_t gain = kUnityGain;
    std::int32_t gainTarget = kUnityGain;
    std::int32_t gainFrom = kUnityGain;
    int gainRampLeft = 0;
};

MixerState& mixer() {
    static MixerState instance;
    return instance;
}

std::uint32_t now() {
    const MixerClock clock = mixer().clock.load();
    return clock != nullptr ? clock() : platform::timeGetTime();
}

// The frame a playing voice has reached by the clock (beyond its end for a one-shot that has
// ended; not wrapped for a looping one).
std::uint64_t reachedByClock(const VoiceState& voice, std::uint32_t at) {
    const std::uint64_t elapsed =
        static_cast<std::uint64_t>(at - voice.startMs) * platform::kOutputRate / 1000;
    return voice.startFrame + elapsed;
}

bool endedByClock(const VoiceState& voice, std::uint32_t frameCount, std::uint32_t at) {
    return voice.playing && !voice.looping && reachedByClock(voice, at) >= frameCount;
}

// Brings a voice's state up to the clock. A one-shot voice counts as ended once its remaining
// frames have had time to play since it was started. This is measured from the play call
// rather than from the device's progress, which runs behind by up to a buffer (and, on some
// devices, drifts from the clock): a repeating cue that is played again right after its length
// has passed must start again, not be taken for still playing. Without a device the position
// follows the clock as well.
void settle(bool attached, std::uint32_t frameCount, VoiceState& voice, std::uint32_t at) {
    if (!voice.playing) {
        return;
    }
    if (endedByClock(voice, frameCount, at)) {
        voice.playing = false;
        voice.position = 0;
        voice.restartAtEnd = false;
        voice.silentFrames = 0;
        return;
    }
    if (!attached) {
        const std::uint64_t reached = reachedByClock(voice, at);
        voice.position = static_cast<std::uint32_t>(voice.looping ? reached % frameCount : reached);
    }
}

void settle(const MixerState& state, Voice& voice, std::uint32_t at) {
    settle(state.attached, voice.frameCount, voice.state, at);
}

// How far into the next fill a play starting now belongs: its time since the last fill, in
// frames. Without a fill to measure from, or at the same millisecond, it starts at once.
std::uint32_t leadInFrames(const MixerState& state, std::uint32_t at) {
    const auto since = static_cast<std::int32_t>(at - state.lastFillMs);
    if (!state.filledBefore || since <= 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(
        std::min<std::int64_t>(std::int64_t{since} * platform::kOutputRate / 1000, kMaxLeadIn));
}

// Adds the voice's share of frames [blockStart, blockStart + frameCount) of a fill of
// `fillFrames` frames to `sum`, moving it on. A play awaiting its placement starts at its
// lead-in, but no later than the fill's last frame (when the device was late to ask), so that
// no play is put off beyond the first fill after it.
void mixVoice(Voice& voice, std::int32_t* sum, int fillFrames, int blockStart, int frameCount) {
    VoiceState& at = voice.state;
    int done = 0;
    if (at.playing && at.awaitingPlacement) {
        const int place =
            static_cast<int>(std::min<std::uint32_t>(at.leadInFrames, fillFrames - 1));
        if (place >= blockStart + frameCount) {
            return;  // it begins in a later block of this fill
        }
        done = std::max(place - blockStart, 0);
        at.awaitingPlacement = false;
    }
    while (done < frameCount && at.playing) {
        if (at.silentFrames > 0) {
            const auto wait = std::min<std::uint32_t>(
                at.silentFrames, static_cast<std::uint32_t>(frameCount - done));
            at.silentFrames -= wait;
            done += static_cast<int>(wait);
            continue;
        }
        const std::uint32_t left = voice.frameCount - at.position;
        const int count = static_cast<int>(
            std::min<std::uint32_t>(left, static_cast<std::uint32_t>(frameCount - done)));
        std::int32_t* to = sum + static_cast<std::size_t>(done) * kChannels;
        const std::uint32_t loaded = voice.loadedFrames.load(std::memory_order_acquire);
        if (voice.resampler) {
            const ResamplerSource source{voice.samples.data(), voice.sourceFrames,
                                         std::min(loaded, voice.sourceFrames), voice.frameCount,
                                         at.looping};
            mixResampled(*voice.resampler, source, at.position, to, count);
        } else if (at.position < loaded) {
            const std::int16_t* from = voice.samples.data() + std::size_t{at.position} * kChannels;
            const int present = static_cast<int>(
                std::min<std::uint32_t>(static_cast<std::uint32_t>(count), loaded - at.position));
            for (int i = 0; i < present * kChannels; ++i) {
                to[i] += from[i];
            }
        }
        done += count;
        at.position += static_cast<std::uint32_t>(count);
        if (at.position == voice.frameCount) {
            at.position = 0;
            at.playing = at.looping || at.restartAtEnd;
            at.silentFrames = at.restartAtEnd ? at.restartGapFrames : 0;
            at.restartAtEnd = false;
        }
    }
}

// Scales `frameCount` summed frames by the mix's gain, gliding it a step each frame while a
// change is under way. At unity and at rest the sum is left untouched.
void applyGain(MixerState& state, std::int32_t* sum, int frameCount) {
    if (state.gainRampLeft == 0 && state.gain == kUnityGain) {
        return;
    }
    for (int frame = 0; frame < frameCount; ++frame) {
        if (state.gainRampLeft > 0) {
            --state.gainRampLeft;
            state.gain = state.gainTarget +
                         static_cast<std::int32_t>(std::int64_t{state.gainFrom - state.gainTarget} *
                                                   state.gainRampLeft / kGainRampFrames);
        }
        std::int32_t* samples = sum + static_cast<std::size_t>(frame) * kChannels;
        for (int channel = 0; channel < kChannels; ++channel) {
            samples[channel] = static_cast<std::int32_t>(
                (std::int64_t{samples[channel]} * state.gain + kUnityGain / 2) >> 16);
        }
    }
}

// The clock takes over (or hands over) from where each voice stands now.
void handOver(MixerState& state, std::uint32_t at) {
    for (Voice* voice : state.voices) {
        VoiceState& voiceState = voice->state;
        settle(state, *voice, at);
        if (voiceState.restartAtEnd) {
            voiceState.restartAtEnd = false;
            voiceState.position = 0;
        }
        voiceState.silentFrames = 0;
        voiceState.awaitingPlacement = false;
        voiceState.startMs = at;
        voiceState.startFrame = voiceState.position;
    }
}

// Mixes one fill of `frameCount` frames made at clock time `at` (see mixVoices).
void mixFill(MixerState& state, std::int16_t* frames, int frameCount, std::uint32_t at) {
    constexpr int kBlockFrames = 512;
    std::int32_t sum[kBlockFrames * kChannels];
    state.lastFillMs = at;
    state.filledBefore = true;
    for (int done = 0; done < frameCount; done += kBlockFrames) {
        const int count = std::min(kBlockFrames, frameCount - done);
        std::memset(sum, 0, sizeof sum);
        if (state.attached) {
            for (Voice* voice : state.voices) {
                mixVoice(*voice, sum, frameCount, done, count);
            }
        }
        applyGain(state, sum, count);
        std::int16_t* out = frames + static_cast<std::size_t>(done) * kChannels;
        for (int i = 0; i < count * kChannels; ++i) {
            out[i] = static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767));
        }
    }
}

std::atomic<MixTap> mixTap{nullptr};

}  // namespace

void setMixerClock(MixerClock clock) {
    mixer().clock.store(clock);
}

void setMixerOutputAttached(bool attached) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    handOver(state, now());
    state.attached = attached;
    state.clockDriven = false;
    state.filledBefore = false;  // a new device's fills are measured from its own first one
}

bool isMixerOutputAttached() {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    return state.attached;
}

void attachMixerToClock(std::uint32_t originMs) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    handOver(state, now());
    state.attached = true;
    state.clockDriven = true;
    state.clockOriginMs = originMs;
    state.clockFramesMixed = 0;
    // The first mix covers the time from the origin on, and places plays from it.
    state.lastFillMs = originMs;
    state.filledBefore = true;
}

void mixDueFrames() {
    MixerState& state = mixer();
    int frameCount = 0;
    std::uint32_t startMs = 0;
    {
        std::lock_guard lock(state.voiceLock);
        if (!state.clockDriven) {
            return;
        }
        const std::uint32_t at = now();
        const std::uint64_t due =
            std::uint64_t{at - state.clockOriginMs} * platform::kOutputRate / 1000;
        if (due <= state.clockFramesMixed) {
            return;
        }
        // Frames due since the last mix: the time since then at the output rate, so each mix
        // starts exactly where the one before ended and at the clock time of the last mix.
        frameCount = static_cast<int>(
            std::min<std::uint64_t>(due - state.clockFramesMixed, std::uint64_t{1} << 24));
        startMs = state.lastFillMs;
        state.clockBuffer.resize(static_cast<std::size_t>(frameCount) * kChannels);
        mixFill(state, state.clockBuffer.data(), frameCount, at);
        state.clockFramesMixed = due;
    }
    // Only this thread mixes on the clock, so the buffer is not touched meanwhile.
    if (MixTap tap = mixTap.load()) {
        tap(state.clockBuffer.data(), frameCount, startMs);
    }
}

void hookVoice(Voice& voice) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    voice.state = VoiceState{};
    state.voices.push_back(&voice);
}

void unhookVoice(Voice& voice) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    voice.state.playing = false;
    std::erase(state.voices, &voice);
}

void playVoice(Voice& voice, bool loop) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    const std::uint32_t at = now();
    VoiceState& voiceState = voice.state;
    if (voice.frameCount == 0) {
        return;  // nothing to play: it has ended as soon as it began
    }
    if (state.attached && endedByClock(voiceState, voice.frameCount, at)) {
        // Over by the clock, but the device has its last frames still to play.
        voiceState.restartGapFrames = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            reachedByClock(voiceState, at) - voice.frameCount, platform::kOutputRate));
        voiceState.restartAtEnd = true;
        voiceState.looping = loop;
        voiceState.startMs = at;
        voiceState.startFrame = 0;
        return;
    }
    settle(state, voice, at);
    if (voiceState.playing) {
        // Already playing: it carries on. Going from looping to once, its end is counted from
        // where it stands now.
        if (voiceState.looping && !loop && !voiceState.restartAtEnd) {
            voiceState.startMs = at;
            voiceState.startFrame = voiceState.position;
        }
        voiceState.looping = loop;
        return;
    }
    voiceState.playing = true;
    voiceState.looping = loop;
    voiceState.startMs = at;
    voiceState.startFrame = voiceState.position;
    voiceState.awaitingPlacement = true;
    voiceState.leadInFrames = leadInFrames(state, at);
}

void stopVoice(Voice& voice) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    VoiceState& voiceState = voice.state;
    settle(state, voice, now());
    if (voiceState.restartAtEnd || voiceState.silentFrames > 0) {
        // Stopped as the new play was about to begin: it stands at the start.
        voiceState.restartAtEnd = false;
        voiceState.silentFrames = 0;
        voiceState.position = 0;
    }
    voiceState.playing = false;
}

VoiceState voiceStateNow(Voice& voice) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    // A copy: looking must not cut short the frames the device still has to play.
    VoiceState copy = voice.state;
    settle(state.attached, voice.frameCount, copy, now());
    return copy;
}

void setMixGain(int hundredths) {
    MixerState& state = mixer();
    std::lock_guard lock(state.voiceLock);
    const std::int32_t target = std::clamp(hundredths, 0, 100) * kUnityGain / 100;
    if (target == state.gainTarget) {
        return;
    }
    state.gainTarget = target;
    if (state.attached) {
        state.gainFrom = state.gain;
        state.gainRampLeft = kGainRampFrames;
    } else {
        state.gain = target;
        state.gainRampLeft = 0;
    }
}

void setMixTap(MixTap tap) {
    mixTap.store(tap);
}

void mixVoices(std::int16_t* frames, int frameCount) {
    MixerState& state = mixer();
    std::uint32_t startMs = 0;
    {
        std::lock_guard lock(state.voiceLock);
        const std::uint32_t at = now();
        startMs = state.filledBefore ? state.lastFillMs : at;
        mixFill(state, frames, frameCount, at);
    }
    if (MixTap tap = mixTap.load()) {
        tap(frames, frameCount, startMs);
    }
}

}  // namespace tsuzuri
