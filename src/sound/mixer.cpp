#include "sound/mixer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/audio.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

constexpr int kChannels = platform::kOutputChannels;
// Output frames in a millisecond of the clock: the clock is counted in these ticks.
constexpr std::int64_t kTicksPerMs = platform::kOutputRate / 1000;
static_assert(platform::kOutputRate % 1000 == 0, "ticks must be whole frames");
// The mix's gain is kept in 1/65536ths.
constexpr std::int32_t kUnityGain = 1 << 16;
// How the time a device's fill stands for follows its requests: by this share of the
// difference at each request, or at once when they differ by more than kResyncMs.
constexpr double kMappingFollow = 1.0 / 32;
constexpr std::int64_t kResyncMs = 30;
// A one-shot that ends within this long after a new play of it is due starts again right
// after its end (a repeat whose period was cut to whole milliseconds) instead of carrying on.
constexpr std::int64_t kFollowOnTicks = kTicksPerMs;
// How many last frames of a one-shot a new start of it lets play first: a device that has
// fallen this far behind the clock (as far as the fills follow it before they jump) still
// plays it whole.
constexpr std::uint32_t kFinishFrames = kResyncMs * kTicksPerMs;

enum class Mode { Silent, Device, Clock };

enum class EventKind { Hook, Start, Stop, SetLoop, Retire };

struct Event {
    Voice* voice = nullptr;
    std::int64_t tick = 0;  // when it is due; hooks are due at once
    EventKind kind = EventKind::Hook;
    std::uint32_t frame = 0;  // where a start begins
    bool loop = false;
};

// A gain (in 1/65536ths) on its way to its target, a step each frame.
struct Glide {
    std::int32_t gain = kUnityGain;
    std::int32_t target = kUnityGain;
    std::int32_t from = kUnityGain;
    int rampLeft = 0;

    bool atUnity() const { return rampLeft == 0 && gain == kUnityGain; }
};

// The mixing side. With a device only the device's thread takes its lock, so it never waits.
struct Engine {
    std::mutex lock;
    std::vector<Voice*> voices;
    std::vector<Event> pending;   // by tick, in the order given among equals
    std::int64_t mixedUntil = 0;  // frames of the mix made so far
    double offset = 0.0;          // mix frame = clock tick + offset
    bool mapped = false;          // a device's fills have set the offset
    Glide master;                 // on the whole mix
    Glide groups[kSoundGroups];   // on each group's voices, before the master
    std::vector<std::int16_t> clockBuffer;

    Engine() {
        voices.reserve(256);
        pending.reserve(1024);
    }
};

// Events on their way from the control side to the mixing side. The device's thread only
// ever tries this lock; when it is busy, the events wait for the next fill.
struct Inbox {
    std::mutex lock;
    std::vector<Event> events;
};

struct Control {
    std::mutex lock;  // the voices' courses, the retired voices, the mode
    std::atomic<Mode> mode{Mode::Silent};
    std::vector<std::unique_ptr<Voice>> retiring;
    std::atomic<const Clock*> clock{nullptr};
    std::atomic<MixTap> tap{nullptr};
    std::atomic<std::int32_t> gainTarget{kUnityGain};
    std::atomic<std::int32_t> groupGainTargets[kSoundGroups] = {kUnityGain, kUnityGain};
    std::atomic<std::int64_t> lastMs{0};  // the clock, counted on past its wrap-around
};

Engine& engine() {
    static Engine instance;
    return instance;
}

Inbox& inbox() {
    static Inbox instance;
    return instance;
}

Control& control() {
    static Control instance;
    return instance;
}

std::uint32_t readClock() {
    const Clock* clock = control().clock.load();
    return clock != nullptr ? clock->nowMs() : platform::timeGetTime();
}

// The clock now in ticks, counted on across its wrap-around (readings are taken as the
// nearest to the last one).
std::int64_t nowTick() {
    const std::uint32_t ms = readClock();
    const std::int64_t last = control().lastMs.load(std::memory_order_relaxed);
    const std::int64_t value =
        last + static_cast<std::int32_t>(ms - static_cast<std::uint32_t>(last));
    control().lastMs.store(value, std::memory_order_relaxed);
    return value * kTicksPerMs;
}

// A clock time near now, in ticks.
std::int64_t tickOf(std::uint32_t ms, std::int64_t now) {
    const auto nowMs = static_cast<std::uint32_t>(now / kTicksPerMs);
    return now + std::int64_t{static_cast<std::int32_t>(ms - nowMs)} * kTicksPerMs;
}

std::uint32_t msOf(std::int64_t tick) {
    const std::int64_t ms = tick >= 0 ? tick / kTicksPerMs : (tick - kTicksPerMs + 1) / kTicksPerMs;
    return static_cast<std::uint32_t>(ms);
}

// ---------------------------------------------------------------------------------------------
// The mixing side

void insertPending(Engine& e, const Event& event) {
    const auto at =
        std::upper_bound(e.pending.begin(), e.pending.end(), event.tick,
                         [](std::int64_t tick, const Event& other) { return tick < other.tick; });
    e.pending.insert(at, event);
}

// Moves the events that have come in to the pending ones. `tryOnly`: give up at once when the
// control side is putting one in.
void drainInbox(Engine& e, bool tryOnly) {
    Inbox& in = inbox();
    std::unique_lock lock(in.lock, std::defer_lock);
    if (tryOnly) {
        if (!lock.try_lock()) {
            return;
        }
    } else {
        lock.lock();
    }
    for (const Event& event : in.events) {
        insertPending(e, event);
    }
    in.events.clear();
}

// Adds `count` frames of the voice from `position` on to `sum` (interleaved stereo).
void addFrames(Voice& voice, std::uint32_t position, std::int32_t* sum, int count) {
    if (!voice.stream.ring.empty()) {
        // The frames this call reads start about here (less the resampler's lead-in); those
        // before may make room for the ones ahead.
        const std::uint64_t source =
            voice.resampler ? std::uint64_t{position} * voice.sourceFrames / voice.frameCount
                            : position;
        voice.stream.neededFrom.store(
            static_cast<std::uint32_t>(source > kStreamReadMargin ? source - kStreamReadMargin : 0),
            std::memory_order_release);
    }
    const FrameSnapshot frames(voice.samples, voice.loadedFrames.load(std::memory_order_acquire),
                               voice.stream);
    if (voice.resampler) {
        const ResamplerSource source{&frames, voice.sourceFrames, voice.frameCount,
                                     voice.mix.looping};
        mixResampled(*voice.resampler, source, position, sum, count);
        return;
    }
    while (count > 0) {
        const std::uint32_t run =
            std::min<std::uint32_t>(frames.runAt(position), static_cast<std::uint32_t>(count));
        if (run == 0) {
            return;  // not read (yet), or read no further: silence
        }
        const std::int16_t* from = frames.at(position);
        for (std::uint32_t i = 0; i < run * kChannels; ++i) {
            sum[i] += from[i];
        }
        sum += std::size_t{run} * kChannels;
        position += run;
        count -= static_cast<int>(run);
    }
}

// Plays `count` frames of the voice into `sum`, or, without `sum`, only moves it on.
void render(Voice& voice, std::int32_t* sum, std::int64_t count) {
    VoiceMix& mix = voice.mix;
    while (count > 0 && mix.playing) {
        if (voice.frameCount == 0) {
            mix.playing = false;
            break;
        }
        if (sum == nullptr && mix.looping) {
            mix.position = static_cast<std::uint32_t>((mix.position + count) % voice.frameCount);
            break;
        }
        const auto chunk = static_cast<std::uint32_t>(
            std::min<std::int64_t>(count, voice.frameCount - mix.position));
        if (sum != nullptr) {
            addFrames(voice, mix.position, sum, static_cast<int>(chunk));
            sum += std::size_t{chunk} * kChannels;
        }
        mix.position += chunk;
        count -= chunk;
        if (mix.position == voice.frameCount) {
            mix.position = 0;
            mix.playing = mix.looping || mix.restartAtEnd;
            if (mix.restartAtEnd) {
                mix.looping = mix.restartLooping;
                mix.restartAtEnd = false;
            }
        }
    }
}

// Scales `frameCount` summed frames by the glide's gain, gliding a step each frame while a
// change is under way. At unity and at rest the sum is left untouched.
void applyGain(Glide& glide, std::int32_t* sum, int frameCount) {
    if (glide.atUnity()) {
        return;
    }
    for (int frame = 0; frame < frameCount; ++frame) {
        if (glide.rampLeft > 0) {
            --glide.rampLeft;
            glide.gain =
                glide.target + static_cast<std::int32_t>(std::int64_t{glide.from - glide.target} *
                                                         glide.rampLeft / kGainRampFrames);
        }
        std::int32_t* samples = sum + static_cast<std::size_t>(frame) * kChannels;
        for (int channel = 0; channel < kChannels; ++channel) {
            samples[channel] = static_cast<std::int32_t>(
                (std::int64_t{samples[channel]} * glide.gain + kUnityGain / 2) >> 16);
        }
    }
}

constexpr int kBlockFrames = 512;

// Sums `block` frames of every voice into `sum`; voices of a group whose gain is not unity go
// through that gain first.
void sumVoices(Engine& e, std::int32_t* sum, int block) {
    bool apart[kSoundGroups];
    bool anyApart = false;
    for (int group = 0; group < kSoundGroups; ++group) {
        apart[group] = !e.groups[group].atUnity();
        anyApart = anyApart || apart[group];
    }
    if (!anyApart) {
        for (Voice* voice : e.voices) {
            render(*voice, sum, block);
        }
        return;
    }
    std::int32_t groupSum[kBlockFrames * kChannels];
    for (int group = 0; group < kSoundGroups; ++group) {
        if (!apart[group]) {
            for (Voice* voice : e.voices) {
                if (static_cast<int>(voice->group) == group) {
                    render(*voice, sum, block);
                }
            }
            continue;
        }
        std::memset(groupSum, 0, sizeof groupSum);
        for (Voice* voice : e.voices) {
            if (static_cast<int>(voice->group) == group) {
                render(*voice, groupSum, block);
            }
        }
        applyGain(e.groups[group], groupSum, block);
        for (int i = 0; i < block * kChannels; ++i) {
            sum[i] += groupSum[i];
        }
    }
}

// Mixes `count` frames of every voice into `out`, or, without `out`, moves them on.
void renderAll(Engine& e, std::int16_t* out, std::int64_t count) {
    if (out == nullptr) {
        for (Voice* voice : e.voices) {
            render(*voice, nullptr, count);
        }
        return;
    }
    std::int32_t sum[kBlockFrames * kChannels];
    for (std::int64_t done = 0; done < count; done += kBlockFrames) {
        const int block = static_cast<int>(std::min<std::int64_t>(kBlockFrames, count - done));
        std::memset(sum, 0, sizeof sum);
        sumVoices(e, sum, block);
        applyGain(e.master, sum, block);
        std::int16_t* to = out + static_cast<std::size_t>(done) * kChannels;
        for (int i = 0; i < block * kChannels; ++i) {
            to[i] = static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767));
        }
    }
}

void apply(Engine& e, const Event& event) {
    Voice& voice = *event.voice;
    switch (event.kind) {
        case EventKind::Hook:
            voice.mix = VoiceMix{};
            e.voices.push_back(&voice);
            break;
        case EventKind::Start:
            // By the clock the voice has ended, but a device slower than the clock still has
            // its last frames to play: they are played first, so that the sound stays whole.
            if (voice.mix.playing && !voice.mix.looping && event.frame == 0 &&
                voice.frameCount - voice.mix.position <= kFinishFrames) {
                voice.mix.restartAtEnd = true;
                voice.mix.restartLooping = event.loop;
                break;
            }
            voice.mix.position = event.frame;
            voice.mix.playing = true;
            voice.mix.looping = event.loop;
            voice.mix.restartAtEnd = false;
            break;
        case EventKind::Stop:
            voice.mix.playing = false;
            voice.mix.restartAtEnd = false;
            break;
        case EventKind::SetLoop:
            voice.mix.looping = event.loop;
            break;
        case EventKind::Retire:
            std::erase(e.voices, &voice);
            voice.released.store(true, std::memory_order_release);
            break;
    }
}

// Makes the next `count` frames of the mix into `out` (or only moves the voices on, without
// `out`), applying each pending event on the frame its time stands for, or on the first frame
// when that has been mixed already.
void mixNext(Engine& e, std::int16_t* out, std::int64_t count) {
    const std::int64_t first = e.mixedUntil;
    const std::int64_t end = first + count;
    const auto offset = static_cast<std::int64_t>(std::llround(e.offset));
    std::int64_t cursor = first;
    std::size_t applied = 0;
    for (; applied < e.pending.size(); ++applied) {
        const Event& event = e.pending[applied];
        const std::int64_t frame =
            event.kind == EventKind::Hook ? first : std::max(event.tick + offset, first);
        if (frame >= end) {
            break;
        }
        if (frame > cursor) {
            renderAll(e, out != nullptr ? out + (cursor - first) * kChannels : nullptr,
                      frame - cursor);
            cursor = frame;
        }
        apply(e, event);
    }
    e.pending.erase(e.pending.begin(), e.pending.begin() + static_cast<std::ptrdiff_t>(applied));
    renderAll(e, out != nullptr ? out + (cursor - first) * kChannels : nullptr, end - cursor);
    e.mixedUntil = end;
}

void takeTarget(Glide& glide, std::int32_t target, bool smoothly) {
    if (target == glide.target) {
        return;
    }
    glide.target = target;
    if (smoothly) {
        glide.from = glide.gain;
        glide.rampLeft = kGainRampFrames;
    } else {
        glide.gain = target;
        glide.rampLeft = 0;
    }
}

void takeGainTarget(Engine& e, bool glide) {
    const Control& c = control();
    takeTarget(e.master, c.gainTarget.load(std::memory_order_relaxed), glide);
    for (int group = 0; group < kSoundGroups; ++group) {
        takeTarget(e.groups[group], c.groupGainTargets[group].load(std::memory_order_relaxed),
                   glide);
    }
}

// ---------------------------------------------------------------------------------------------
// The control side (its lock held)

// Hands an event to the mixing side.
void send(const Event& event) {
    if (control().mode.load() == Mode::Device) {
        std::lock_guard lock(inbox().lock);
        inbox().events.push_back(event);
        return;
    }
    std::lock_guard lock(engine().lock);
    insertPending(engine(), event);
}

// Without a device or a recording nothing mixes: the voices are moved on by the clock.
void catchUp() {
    if (control().mode.load() != Mode::Silent) {
        return;
    }
    Engine& e = engine();
    std::lock_guard lock(e.lock);
    const std::int64_t due = nowTick() + static_cast<std::int64_t>(std::llround(e.offset));
    if (due > e.mixedUntil) {
        mixNext(e, nullptr, due - e.mixedUntil);
    }
}

// The frame a playing voice's course has reached at `tick` (its start frame before its start;
// up to its length for a one-shot).
std::uint32_t positionAt(const VoiceCourse& course, std::uint32_t frameCount, std::int64_t tick) {
    const std::int64_t elapsed = std::max<std::int64_t>(tick - course.startTick, 0);
    const std::int64_t reached = course.startFrame + elapsed;
    if (course.looping) {
        return static_cast<std::uint32_t>(reached % frameCount);
    }
    return static_cast<std::uint32_t>(std::min<std::int64_t>(reached, frameCount));
}

std::int64_t endTick(const VoiceCourse& course, std::uint32_t frameCount) {
    return course.startTick + (frameCount - course.startFrame);
}

// A one-shot whose end has come by `tick` is no longer playing, and stands at its start.
void settle(VoiceCourse& course, std::uint32_t frameCount, std::int64_t tick) {
    if (course.playing && !course.looping && endTick(course, frameCount) <= tick) {
        course.playing = false;
        course.stoppedFrame = 0;
    }
}

std::int64_t dueTick(const VoiceCourse& course, std::uint32_t dueMs) {
    return std::max(tickOf(dueMs, nowTick()), course.lastEventTick);
}

}  // namespace

void setMixerClock(const Clock* clock) {
    control().clock.store(clock);
}

std::uint32_t mixerNow() {
    return readClock();
}

void setMixerOutputAttached(bool attached) {
    Control& c = control();
    std::lock_guard controlLock(c.lock);
    catchUp();
    Engine& e = engine();
    std::lock_guard engineLock(e.lock);
    drainInbox(e, false);
    if (attached) {
        c.mode.store(Mode::Device);
        e.mapped = false;  // a new device's fills are measured from its own first one
    } else {
        c.mode.store(Mode::Silent);
        // The clock takes over from where the mix stands now.
        e.offset = static_cast<double>(e.mixedUntil - nowTick());
        takeGainTarget(e, false);
    }
}

bool isMixerOutputAttached() {
    return control().mode.load() == Mode::Device;
}

void attachMixerToClock(std::uint32_t originMs) {
    Control& c = control();
    std::lock_guard controlLock(c.lock);
    catchUp();
    Engine& e = engine();
    std::lock_guard engineLock(e.lock);
    drainInbox(e, false);
    c.mode.store(Mode::Clock);
    // From the origin on the mix stands exactly on the clock.
    e.offset = static_cast<double>(e.mixedUntil - tickOf(originMs, nowTick()));
}

void mixDueFrames() {
    Control& c = control();
    Engine& e = engine();
    std::int64_t count = 0;
    std::uint32_t startMs = 0;
    {
        std::lock_guard controlLock(c.lock);
        if (c.mode.load() != Mode::Clock) {
            return;
        }
        std::lock_guard engineLock(e.lock);
        const auto offset = static_cast<std::int64_t>(std::llround(e.offset));
        count = std::min<std::int64_t>(nowTick() + offset - e.mixedUntil, std::int64_t{1} << 24);
        if (count <= 0) {
            return;
        }
        takeGainTarget(e, true);
        startMs = msOf(e.mixedUntil - offset);
        e.clockBuffer.resize(static_cast<std::size_t>(count) * kChannels);
        mixNext(e, e.clockBuffer.data(), count);
    }
    // Only this thread mixes on the clock, so the buffer is not touched meanwhile.
    if (MixTap tap = c.tap.load()) {
        tap(e.clockBuffer.data(), static_cast<int>(count), startMs);
    }
}

void hookVoice(Voice& voice) {
    std::lock_guard lock(control().lock);
    voice.course = VoiceCourse{};
    voice.released.store(false);
    send(Event{&voice, std::numeric_limits<std::int64_t>::min(), EventKind::Hook, 0, false});
}

void retireVoice(std::unique_ptr<Voice> voice, std::uint32_t dueMs) {
    if (voice == nullptr) {
        return;
    }
    Control& c = control();
    {
        std::lock_guard lock(c.lock);
        catchUp();
        const std::int64_t due = dueTick(voice->course, dueMs);
        send(Event{voice.get(), due, EventKind::Retire, 0, false});
        c.retiring.push_back(std::move(voice));
        catchUp();
    }
    reapVoices();
}

void reapVoices(bool all) {
    Control& c = control();
    std::vector<std::unique_ptr<Voice>> freed;
    {
        std::lock_guard lock(c.lock);
        if (all) {
            std::lock_guard engineLock(engine().lock);
            for (auto& voice : c.retiring) {
                std::erase(engine().voices, voice.get());
                std::erase_if(engine().pending,
                              [&voice](const Event& event) { return event.voice == voice.get(); });
            }
            freed.swap(c.retiring);
        } else {
            for (auto& voice : c.retiring) {
                if (voice->released.load(std::memory_order_acquire)) {
                    freed.push_back(std::move(voice));
                }
            }
            std::erase(c.retiring, nullptr);
        }
    }
    // Freed outside the lock: a long sound's samples take a moment to give back.
}

void playVoice(Voice& voice, bool loop, std::uint32_t dueMs) {
    std::lock_guard lock(control().lock);
    if (voice.frameCount == 0) {
        return;  // nothing to play: it has ended as soon as it began
    }
    catchUp();
    VoiceCourse& course = voice.course;
    std::int64_t due = dueTick(course, dueMs);
    if (course.playing && !course.looping && !loop) {
        const std::int64_t end = endTick(course, voice.frameCount);
        if (end > due && end - due <= kFollowOnTicks) {
            due = end;
        }
    }
    settle(course, voice.frameCount, due);
    if (course.playing) {
        if (course.looping != loop) {
            course.startFrame = positionAt(course, voice.frameCount, due);
            course.startTick = due;
            course.looping = loop;
            send(Event{&voice, due, EventKind::SetLoop, 0, loop});
        }
    } else {
        course.playing = true;
        course.looping = loop;
        course.startTick = due;
        course.startFrame = course.stoppedFrame;
        send(Event{&voice, due, EventKind::Start, course.startFrame, loop});
    }
    course.lastEventTick = due;
    catchUp();
}

void stopVoice(Voice& voice, std::uint32_t dueMs) {
    std::lock_guard lock(control().lock);
    catchUp();
    VoiceCourse& course = voice.course;
    const std::int64_t due = dueTick(course, dueMs);
    settle(course, voice.frameCount, due);
    if (course.playing) {
        const std::uint32_t at = positionAt(course, voice.frameCount, due);
        course.stoppedFrame = at < voice.frameCount ? at : 0;
        course.playing = false;
        send(Event{&voice, due, EventKind::Stop, 0, false});
    }
    course.lastEventTick = due;
    catchUp();
}

VoiceState voiceStateNow(Voice& voice) {
    std::lock_guard lock(control().lock);
    catchUp();
    VoiceCourse course = voice.course;
    const std::int64_t now = nowTick();
    settle(course, voice.frameCount, now);
    VoiceState state;
    state.playing = course.playing;
    state.looping = course.playing && course.looping;
    state.position =
        course.playing ? positionAt(course, voice.frameCount, now) : course.stoppedFrame;
    return state;
}

void setMixGain(int hundredths) {
    Control& c = control();
    std::lock_guard lock(c.lock);
    c.gainTarget.store(std::clamp(hundredths, 0, 100) * kUnityGain / 100);
    if (c.mode.load() == Mode::Silent) {
        std::lock_guard engineLock(engine().lock);
        takeGainTarget(engine(), false);
    }
}

void setMixGroupGain(SoundGroup group, int hundredths) {
    Control& c = control();
    std::lock_guard lock(c.lock);
    c.groupGainTargets[static_cast<int>(group)].store(std::clamp(hundredths, 0, 100) * kUnityGain /
                                                      100);
    if (c.mode.load() == Mode::Silent) {
        std::lock_guard engineLock(engine().lock);
        takeGainTarget(engine(), false);
    }
}

void setMixTap(MixTap tap) {
    control().tap.store(tap);
}

void mixVoices(std::int16_t* frames, int frameCount) {
    Control& c = control();
    if (c.mode.load() != Mode::Device) {
        std::memset(frames, 0,
                    static_cast<std::size_t>(frameCount) * kChannels * sizeof(std::int16_t));
        return;
    }
    Engine& e = engine();
    std::uint32_t startMs = 0;
    {
        std::lock_guard lock(e.lock);
        drainInbox(e, true);
        takeGainTarget(e, true);
        // The offset at which this fill stands for the clock time kMixDelayMs ago.
        const auto wanted = static_cast<double>(
            e.mixedUntil - (nowTick() - std::int64_t{kMixDelayMs} * kTicksPerMs));
        if (!e.mapped || std::abs(wanted - e.offset) > double(kResyncMs * kTicksPerMs)) {
            e.offset = wanted;
            e.mapped = true;
        } else {
            e.offset += (wanted - e.offset) * kMappingFollow;
        }
        startMs = msOf(e.mixedUntil - static_cast<std::int64_t>(std::llround(e.offset)));
        mixNext(e, frames, frameCount);
    }
    if (MixTap tap = c.tap.load()) {
        tap(frames, frameCount, startMs);
    }
}

}  // namespace tsuzuri
