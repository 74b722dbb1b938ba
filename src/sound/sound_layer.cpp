// The sound layer over the mixer. Each sound is a voice of its own holding its samples (all of
// a short sound, the first seconds of a long one, whose rest is read as it plays), converted
// into the output's sample format and channels; a sound at another rate is converted to the
// output rate while it plays.
#include "sound/sound_layer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/file_buffer.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "sound/mixer.h"
#include "sound/sample_loader.h"
#include "sound/wav_file.h"

namespace tsuzuri {
namespace {

// error
constexpr char kBufferFailedCaption[] = "error";
// セカンダリバッファー作成失敗
constexpr char kBufferFailedText[] =
    "\x83Z\x83J\x83\x93\x83_\x83\x8A\x83o\x83"
    "b\x83t\x83@\x81[\x8D\xEC\x90\xAC\x8E\xB8\x94s";

// The largest sample data one sound may hold: what a WAV file's 32-bit chunk sizes allow.
constexpr std::uint32_t kMaxDataBytes = 0x7FFFFFFF;
// The most output frames one sound may play (its play position is 32 bits): about 24 hours.
constexpr std::uint64_t kMaxConvertedFrames = 0xFFFFFFFFu;

struct SoundRecord {
    std::unique_ptr<Voice> buffer;
    double lengthSeconds = 0.0;
};

// Guards SoundTable and NextSoundId, and is held across every call on a sound, including a
// load's file read and its failure message. Taken after cueLock, never before; the device's
// thread never takes it (it takes only the mixer's voice lock, inside this one).
std::mutex SoundLock;
std::map<SoundId, std::unique_ptr<SoundRecord>> SoundTable;
SoundId NextSoundId = 0;
bool outputOpen = false;
// The master volume and muting (main thread only); the mixer holds the gain they make.
int masterVolume = 100;
bool masterMuted = false;
int groupVolumes[kSoundGroups] = {100, 100};

// Bytes read for the header: enough for any header the reader accepts (the data chunk's header
// can stand up to 64 KiB in).
constexpr std::size_t kHeadBytes = 96 * 1024;
// The frames the sound layer reads and converts itself before answering, and holds for good: a
// longer sound's rest is read by the sample loader as it plays. A megabyte is read in a few
// milliseconds.
constexpr std::uint32_t kFramesReadAtOnce = 256 * 1024;

platform::PcmFormat pcmFormatOf(const WaveFormat& wave) {
    return {wave.nChannels, wave.nSamplesPerSec, wave.nBlockAlign, wave.wBitsPerSample};
}

// Opens the file and reads and checks its header. Answers why the file is refused, or null.
const char* openSound(const GamePath& path, OpenFile& file, WavLayout& layout) {
    // Only the header and the samples are read, a part at a time: any size of file will do.
    if (!openGameFile(file, path, std::numeric_limits<std::int64_t>::max())) {
        return "cannot be read";
    }
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::int64_t>(file.size, kHeadBytes)));
    if (readFileAt(file, 0, head.data(), head.size()) != head.size()) {
        return "cannot be read";
    }
    const char* refusal = nullptr;
    const std::optional<WavLayout> parsed =
        ParseWav(head.data(), static_cast<std::int32_t>(head.size()), file.size, &refusal);
    if (!parsed) {
        return refusal;
    }
    // Data without one whole frame is as malformed as data that runs past the file: there is
    // nothing to play, and nothing the output refused.
    if (parsed->dataLength < std::max<std::uint32_t>(parsed->format.nBlockAlign, 1)) {
        return "no whole frame of samples";
    }
    layout = *parsed;
    return nullptr;
}

// Why the output cannot take the sound of a checked file, or null when it can.
const char* unplayableReason(const WavLayout& layout) {
    const WaveFormat& wave = layout.format;
    const platform::PcmFormat format = pcmFormatOf(wave);
    // A zero byte rate would make the sound's length infinite; such a file is as unusable as
    // one whose samples cannot be converted. So is one with more data than a sound buffer can
    // hold.
    if (wave.nAvgBytesPerSec == 0) {
        return "a byte rate of 0";
    }
    if (!platform::isPcmFormatPlayable(format)) {
        return "a sample format, channel count, rate or block alignment the output cannot take";
    }
    const std::uint32_t frames = layout.dataLength / wave.nBlockAlign;
    if (frames == 0 || layout.dataLength > kMaxDataBytes ||
        platform::convertedFrameCount(format, frames) > kMaxConvertedFrames) {
        return "more samples than one sound may hold";
    }
    return nullptr;
}

// Makes the voice for a checked file and converts its first frames, or answers nothing when the
// output cannot take its format. `loadRest` says whether frames remain to be read.
std::unique_ptr<Voice> makeVoice(const WavLayout& layout, const OpenFile& file, bool& loadRest) {
    if (unplayableReason(layout) != nullptr) {
        return nullptr;
    }
    const WaveFormat& wave = layout.format;
    const platform::PcmFormat format = pcmFormatOf(wave);
    const std::uint32_t frames = layout.dataLength / wave.nBlockAlign;
    const std::uint64_t outputFrames = platform::convertedFrameCount(format, frames);
    auto voice = std::make_unique<Voice>();
    const std::uint32_t held = std::min(frames, kFramesReadAtOnce);
    try {
        voice->samples.resize(std::size_t{held} * platform::kOutputChannels);
        if (held < frames) {
            voice->stream.ring.resize(std::size_t{kStreamRingFrames} * platform::kOutputChannels);
            voice->stream.ringFrames = kStreamRingFrames;
            voice->stream.window.store(VoiceStream::pack(held, held), std::memory_order_relaxed);
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // A file that shrank since its header was read plays what is left of it.
    voice->loadedFrames.store(0, std::memory_order_relaxed);
    loadRest = readSampleFrames(*voice, file, layout.dataOffset, format, held) && held < frames;
    voice->frameCount = static_cast<std::uint32_t>(outputFrames);
    if (wave.nSamplesPerSec != platform::kOutputRate) {
        voice->resampler = makeVoiceResampler(wave.nSamplesPerSec);
        voice->sourceFrames = frames;
        if (!voice->resampler) {
            return nullptr;
        }
    }
    return voice;
}

// A sound server may take a second or more to start taking sound: it asks for a buffer or
// two at once and then nothing until it runs. Sounds started meanwhile would all be heard at
// once when it does, so start-up waits (up to this long) until the output asks at its own
// pace, and the story, with its sounds, begins once it does.
constexpr std::uint32_t kOutputStartLimitMs = 3000;
// A request that comes at least this long after the one before is paced by the output rather
// than part of a burst that fills its buffers; the second such request means it runs.
constexpr std::uint32_t kPacedRequestMs = 5;
bool outputDeviceWanted = true;
std::atomic<bool> outputRunning{false};
// The output's requests until it runs; set before it opens, then only on its thread.
int requestsSeen = 0;
int pacedRequests = 0;
std::uint32_t lastRequestMs = 0;

void feedOutput(std::int16_t* frames, int frameCount) {
    mixVoices(frames, frameCount);
    if (!outputRunning.load(std::memory_order_relaxed)) {
        const std::uint32_t now = platform::timeGetTime();
        if (requestsSeen++ > 0 && now - lastRequestMs >= kPacedRequestMs) {
            ++pacedRequests;
        }
        lastRequestMs = now;
        if (pacedRequests >= 2) {
            outputRunning.store(true, std::memory_order_release);
        }
    }
}

bool awaitOutputRunning() {
    const std::uint32_t start = platform::timeGetTime();
    while (!outputRunning.load(std::memory_order_acquire)) {
        if (platform::timeGetTime() - start >= kOutputStartLimitMs) {
            return false;
        }
        platform::sleepMs(1);
    }
    return true;
}

SoundRecord* findSound(SoundId id) {
    auto found = SoundTable.find(id);
    return found != SoundTable.end() ? found->second.get() : nullptr;
}

// Takes the record's voice out of the loader, and out of the mix at clock time `dueMs`.
void retireRecord(SoundRecord& record, std::uint32_t dueMs) {
    if (record.buffer != nullptr) {
        cancelSampleLoad(*record.buffer);
        retireVoice(std::move(record.buffer), dueMs);
    }
}

// The clock time a story step began, on the thread running it; none outside a step.
thread_local std::optional<std::uint32_t> stepTime;

}  // namespace

Status SoundInit(platform::WindowHandle window, const Clock& clock) {
    if (window == 0) {
        return E_FAIL;
    }
    setMixerClock(&clock);
    std::lock_guard lock(SoundLock);
    if (SoundTable.empty()) {
        NextSoundId = 0;  // a new run numbers afresh; while sounds live no number is reissued
    }
    if (outputOpen || !outputDeviceWanted) {
        return S_OK;
    }
    std::string reason;
    outputRunning.store(false);
    requestsSeen = 0;
    pacedRequests = 0;
    // Attached first, so that the device's first request already mixes.
    setMixerOutputAttached(true);
    if (platform::openAudioOutput(feedOutput, reason) && awaitOutputRunning()) {
        outputOpen = true;
        return S_OK;
    }
    if (reason.empty()) {
        reason = "it did not start within " + std::to_string(kOutputStartLimitMs) + " ms";
        platform::closeAudioOutput();
    }
    setMixerOutputAttached(false);
    std::fprintf(stderr, "tsuzuri: no sound output (%s); playing without sound\n", reason.c_str());
    std::fflush(stderr);
    return S_OK;
}

void SoundUseOutputDevice(bool use) {
    outputDeviceWanted = use;
}

Status SoundShutdown() {
    // The device's thread must be gone before any voice is freed. Closing waits for it, so it
    // must not happen inside the voice lock (the mixer takes that lock itself).
    platform::closeAudioOutput();
    outputOpen = false;
    setMixerOutputAttached(false);
    std::lock_guard lock(SoundLock);
    while (!SoundTable.empty()) {
        auto entry = SoundTable.begin();
        std::unique_ptr<SoundRecord> record = std::move(entry->second);
        SoundTable.erase(entry);
        if (record != nullptr) {
            retireRecord(*record, mixerNow());
        }
    }
    reapVoices(true);
    stopSampleLoader();
    setMixerClock(nullptr);
    return S_OK;
}

SoundId SoundLoad(const GamePath& path, SoundGroup group) {
    std::lock_guard lock(SoundLock);
    reapVoices();
    OpenFile file;
    WavLayout layout;
    if (openSound(path, file, layout) != nullptr) {
        return -1;
    }
    bool loadRest = false;
    std::unique_ptr<Voice> voice = makeVoice(layout, file, loadRest);
    if (voice == nullptr) {
        platform::showMessageBox(kBufferFailedCaption, kBufferFailedText);
        return -1;
    }
    if (NextSoundId == std::numeric_limits<SoundId>::max()) {
        return -1;  // every number has been issued; none is ever issued twice
    }
    const SoundId id = ++NextSoundId;
    auto record = std::make_unique<SoundRecord>();
    record->lengthSeconds = layout.lengthSeconds;
    record->buffer = std::move(voice);
    if (!SoundTable.emplace(id, std::move(record)).second) {
        return -1;
    }
    Voice& added = *SoundTable[id]->buffer;
    added.group = group;
    hookVoice(added);
    if (loadRest) {
        queueSampleLoad(added, std::move(file), layout.dataOffset, pcmFormatOf(layout.format),
                        layout.dataLength / layout.format.nBlockAlign);
    }
    return id;
}

std::optional<std::string> SoundRefusal(const GamePath& path) {
    OpenFile file;
    WavLayout layout;
    const char* reason = openSound(path, file, layout);
    if (reason == nullptr) {
        reason = unplayableReason(layout);
    }
    return reason != nullptr ? std::optional<std::string>(reason) : std::nullopt;
}

Status SoundRelease(SoundId id) {
    std::lock_guard lock(SoundLock);
    auto found = SoundTable.find(id);
    if (found == SoundTable.end()) {
        return E_FAIL;
    }
    std::unique_ptr<SoundRecord> record = std::move(found->second);
    SoundTable.erase(found);
    if (record != nullptr) {
        // It falls silent on the frame its time stands for; its samples go once the mix has
        // let go of them.
        retireRecord(*record, SoundDueTime());
    }
    return S_OK;
}

Status SoundPlay(SoundId id, std::int32_t loop) {
    const std::uint32_t dueMs = SoundDueTime();
    std::lock_guard lock(SoundLock);
    reapVoices();
    SoundRecord* record = findSound(id);
    if (record == nullptr || record->buffer == nullptr) {
        return E_FAIL;
    }
    playVoice(*record->buffer, loop != 0, dueMs);
    return S_OK;
}

Status SoundStop(SoundId id) {
    std::lock_guard lock(SoundLock);
    SoundRecord* record = findSound(id);
    if (record == nullptr || record->buffer == nullptr) {
        return E_FAIL;
    }
    stopVoice(*record->buffer, SoundDueTime());
    return S_OK;
}

std::uint32_t SoundDueTime() {
    return stepTime.value_or(mixerNow());
}

SoundStep::SoundStep() : SoundStep(mixerNow()) {}

SoundStep::SoundStep(std::uint32_t dueMs) : outer_(stepTime) {
    stepTime = dueMs;
}

SoundStep::~SoundStep() {
    stepTime = outer_;
}

void SoundSetVolume(int volume) {
    masterVolume = std::clamp(volume, 0, 100);
    setMixGain(masterMuted ? 0 : masterVolume);
}

int SoundVolume() {
    return masterVolume;
}

void SoundSetMuted(bool muted) {
    masterMuted = muted;
    setMixGain(masterMuted ? 0 : masterVolume);
}

bool SoundMuted() {
    return masterMuted;
}

void SoundSetGroupVolume(SoundGroup group, int volume) {
    const int index = static_cast<int>(group);
    groupVolumes[index] = std::clamp(volume, 0, 100);
    setMixGroupGain(group, groupVolumes[index]);
}

int SoundGroupVolume(SoundGroup group) {
    return groupVolumes[static_cast<int>(group)];
}

double SoundLength(SoundId id) {
    // No lock: only the main thread changes the table, and only the main thread asks this.
    const SoundRecord* record = findSound(id);
    return record != nullptr && record->buffer != nullptr ? record->lengthSeconds : 0.0;
}

bool SoundIsPlaying(SoundId id) {
    std::lock_guard lock(SoundLock);
    SoundRecord* record = findSound(id);
    return record != nullptr && record->buffer != nullptr && voiceStateNow(*record->buffer).playing;
}

}  // namespace tsuzuri
