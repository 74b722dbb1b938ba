#include "capture/recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "capture/frame_png.h"
#include "common/output_file.h"
#include "graphics/render_device.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "sound/mixer.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// A stretch of mixed sound and the clock time of its first frame.
struct CapturedPart {
    std::uint32_t startMs = 0;
    std::size_t frames = 0;
};

struct Recorder {
    // Claimed: index.tsv and audio.wav are made, with their headers; active: recording.
    bool claimed = false;
    bool active = false;
    bool madeFolder = false;  // the claim made the folder itself
    fs::path folder;
    OutputFile index;
    OutputFile audio;
    std::uint32_t originMs = 0;
    std::uint64_t audioFrames = 0;
    // Whether the recording makes the mix itself on the clock (no device is mixing).
    bool mixesOnClock = false;
    std::uint64_t lastFrame = 0;             // the frames presented when last looked at
    std::vector<std::uint32_t> lastWritten;  // the pixels of the last frame written
    // Filled on the thread that mixed, emptied on the main thread.
    std::mutex captureLock;
    std::vector<std::int16_t> captured;
    std::vector<CapturedPart> capturedParts;
    std::vector<std::int16_t> writing;
    std::vector<CapturedPart> writingParts;
};

Recorder& recorder() {
    static Recorder instance;
    return instance;
}

void captureMix(const std::int16_t* frames, int frameCount, std::uint32_t startMs) {
    Recorder& r = recorder();
    std::lock_guard lock(r.captureLock);
    r.captured.insert(r.captured.end(), frames,
                      frames + static_cast<std::size_t>(frameCount) * platform::kOutputChannels);
    r.capturedParts.push_back({startMs, static_cast<std::size_t>(frameCount)});
}

void put32(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 24);
}

void put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value);
    out += static_cast<char>(value >> 8);
}

constexpr std::uint64_t kWavHeaderBytes = 44;
constexpr std::uint64_t kFrameBytes = platform::kOutputChannels * sizeof(std::int16_t);
// The most sound a WAV file can count (its sizes are 32-bit): about 6 hours 12 minutes.
constexpr std::uint64_t kMaxAudioFrames = (0xFFFFFFFFull - 36) / kFrameBytes;

// A canonical WAV header for `frames` frames of output-format samples.
std::string wavHeader(std::uint64_t frames) {
    const auto dataBytes = static_cast<std::uint32_t>(frames * kFrameBytes);
    std::string out;
    out += "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, platform::kOutputChannels);
    put32(out, platform::kOutputRate);
    put32(out, platform::kOutputRate * kFrameBytes);
    put16(out, kFrameBytes);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    return out;
}

// How far a device's sound may stray from its place on the clock before the recording puts it
// back there: 5 ms, more than the usual jitter of a device's requests and well inside what
// can be heard as out of step.
constexpr std::int64_t kPlacementSlackFrames = platform::kOutputRate / 200;

std::int64_t framesSinceOrigin(std::uint32_t ms) {
    const auto since = static_cast<std::int32_t>(ms - recorder().originMs);
    return std::int64_t{since} * platform::kOutputRate / 1000;
}

void endAfterFailure(const std::string& failure);

// Appends `frames` frames of samples to audio.wav; on failure (or at the most a WAV file can
// count) the recording ends, and the answer is false.
bool appendAudio(const std::int16_t* samples, std::uint64_t frames) {
    Recorder& r = recorder();
    const std::uint64_t room = kMaxAudioFrames - r.audioFrames;
    const std::uint64_t count = std::min(frames, room);
    const bool written = r.audio.append(
        std::string_view(reinterpret_cast<const char*>(samples), count * kFrameBytes));
    // What reached the file, in whole frames: the header will count exactly these.
    r.audioFrames = (r.audio.size() - kWavHeaderBytes) / kFrameBytes;
    if (!written) {
        endAfterFailure(r.audio.path().string() + ": " + r.audio.reason());
        return false;
    }
    if (count < frames) {
        endAfterFailure(r.audio.path().string() +
                        ": it holds the most sound a WAV file can (6 h 12 min)");
        return false;
    }
    return true;
}

bool writeSilence(std::uint64_t frames) {
    static const std::int16_t silence[1024 * platform::kOutputChannels] = {};
    for (std::uint64_t left = frames; left > 0;) {
        const std::uint64_t count = std::min<std::uint64_t>(left, 1024);
        if (!appendAudio(silence, count)) {
            return false;
        }
        left -= count;
    }
    return true;
}

// Writes a part where it belongs on the clock. A device asks for sound at its own pace, which
// drifts from the clock (test drivers by a percent or two) and jitters: the part goes on
// straight after the one before while it stays within the slack of its place, and is put back
// at its place otherwise (silence where the device took nothing, the overlap dropped where it
// took more). Sound mixed on the clock always lands at its place exactly.
bool writePlaced(const CapturedPart& part, const std::int16_t* samples) {
    Recorder& r = recorder();
    const std::int64_t place = framesSinceOrigin(part.startMs);
    const auto written = static_cast<std::int64_t>(r.audioFrames);
    std::size_t skip = 0;
    if (place > written + kPlacementSlackFrames) {
        if (!writeSilence(static_cast<std::uint64_t>(place - written))) {
            return false;
        }
    } else if (place < written - kPlacementSlackFrames) {
        skip = static_cast<std::size_t>(
            std::min<std::int64_t>(written - place, static_cast<std::int64_t>(part.frames)));
    }
    return appendAudio(samples + skip * platform::kOutputChannels, part.frames - skip);
}

void flushAudio() {
    Recorder& r = recorder();
    if (r.mixesOnClock) {
        mixDueFrames();
    }
    {
        std::lock_guard lock(r.captureLock);
        r.writing.swap(r.captured);
        r.writingParts.swap(r.capturedParts);
    }
    const std::int16_t* samples = r.writing.data();
    for (const CapturedPart& part : r.writingParts) {
        if (!writePlaced(part, samples)) {
            break;  // the recording has ended
        }
        samples += part.frames * platform::kOutputChannels;
    }
    r.writing.clear();
    r.writingParts.clear();
}

// Takes the recording off the mixer: the run goes on as one without a recording.
void detachFromMixer() {
    Recorder& r = recorder();
    setMixTap(nullptr);
    if (r.mixesOnClock) {
        setMixerOutputAttached(false);
        r.mixesOnClock = false;
    }
    std::lock_guard lock(r.captureLock);
    r.captured.clear();
    r.capturedParts.clear();
}

// Makes audio.wav's header count the whole frames in the file (a partial frame a failed write
// left is cut off) and closes both files. Answers false, with the file and the reason, when
// that fails.
bool completeFiles(fs::path& failedFile, std::string& reason) {
    Recorder& r = recorder();
    const std::uint64_t whole = kWavHeaderBytes + r.audioFrames * kFrameBytes;
    bool done = (r.audio.size() == whole || r.audio.shrinkTo(whole)) &&
                r.audio.overwrite(0, wavHeader(r.audioFrames));
    done = r.audio.close() && done;
    if (!done) {
        failedFile = r.audio.path();
        reason = r.audio.reason();
    }
    if (!r.index.close() && done) {
        failedFile = r.index.path();
        reason = r.index.reason();
        done = false;
    }
    return done;
}

// Ends the recording after a write failed (`failure`: the file and the reason), with one line
// on stderr; what reached the files stays, the sound counted by its header as far as that can
// still be written.
void endAfterFailure(const std::string& failure) {
    Recorder& r = recorder();
    std::fprintf(stderr, "tsuzuri: cannot write %s; the recording stops here, the play goes on\n",
                 failure.c_str());
    std::fflush(stderr);
    r.active = false;
    detachFromMixer();
    fs::path ignoredFile;
    std::string ignoredReason;
    completeFiles(ignoredFile, ignoredReason);
}

// The names a recording writes into its folder.
bool isRecordingFile(const fs::path& name) {
    const std::string text = name.string();
    return text == "index.tsv" || text == "audio.wav" ||
           (text.starts_with("frame-") && text.ends_with(".png"));
}

}  // namespace

std::string indexField(std::string_view text) {
    std::string field;
    field.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\t':
                field += "\\t";
                break;
            case '\r':
                field += "\\r";
                break;
            case '\n':
                field += "\\n";
                break;
            case '\\':
                field += "\\\\";
                break;
            default:
                field += c;
        }
    }
    return field;
}

bool claimRecordingFolder(const fs::path& folder, std::string& error) {
    Recorder& r = recorder();
    if (r.claimed || r.active) {
        error = "a recording is already being made into " + r.folder.string();
        return false;
    }
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(folder, ec)) && !fs::exists(folder, ec)) {
        error = "cannot make the recording folder " + folder.string() +
                ": it is a dangling link (to " + fs::read_symlink(folder, ec).string() +
                ", which does not exist)";
        return false;
    }
    const bool made = fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        error = "cannot make the recording folder " + folder.string() +
                (ec ? ": " + ec.message() : ": a file of that name is in the way");
        return false;
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isRecordingFile(it->path().filename())) {
            error = "the folder " + folder.string() + " already holds a recording (" +
                    it->path().filename().string() + "); choose a new or empty folder";
            return false;
        }
    }
    if (ec) {
        error = "cannot read the recording folder " + folder.string() + ": " + ec.message();
        return false;
    }
    // Made exclusively: when another player claimed the folder since it was looked at, this
    // one fails here and records nothing into it.
    if (const int failure = r.index.createNew(folder / "index.tsv"); failure != 0) {
        error = failure == EEXIST
                    ? "the folder " + folder.string() +
                          " already holds a recording (index.tsv, just made by "
                          "another player recording into it); choose a new or "
                          "empty folder"
                    : "cannot write " + (folder / "index.tsv").string() + ": " + r.index.reason();
        if (made) {
            fs::remove(folder, ec);
        }
        return false;
    }
    r.folder = folder;
    r.madeFolder = made;
    r.claimed = true;
    const auto failClaim = [&](const OutputFile& file) {
        error = "cannot write " + file.path().string() + ": " + file.reason();
        releaseRecordingFolder();
        return false;
    };
    if (!r.index.append("file\tpass\tms\tscript\tline\n")) {
        return failClaim(r.index);
    }
    if (const int failure = r.audio.createNew(folder / "audio.wav"); failure != 0) {
        return failClaim(r.audio);
    }
    if (!r.audio.append(wavHeader(0))) {
        return failClaim(r.audio);
    }
    return true;
}

void releaseRecordingFolder() {
    Recorder& r = recorder();
    if (!r.claimed) {
        return;
    }
    r.claimed = false;
    std::error_code ignored;
    for (OutputFile* file : {&r.index, &r.audio}) {
        if (file->isOpen()) {
            file->close();
            fs::remove(file->path(), ignored);
        }
    }
    if (r.madeFolder) {
        fs::remove(r.folder, ignored);  // only when empty: nothing else is taken with it
    }
}

bool startRecording(const fs::path& folder, const RenderState& render, std::uint32_t originMs,
                    std::string& error) {
    Recorder& r = recorder();
    if (!(r.claimed && r.folder == folder) && !claimRecordingFolder(folder, error)) {
        return false;
    }
    r.claimed = false;
    r.originMs = originMs;
    r.audioFrames = 0;
    r.lastFrame = render.framesPresented;
    r.lastWritten.clear();
    {
        std::lock_guard lock(r.captureLock);
        r.captured.clear();
        r.capturedParts.clear();
    }
    setMixTap(captureMix);
    // With no device mixing, the recording has the mix made on the clock.
    r.mixesOnClock = !isMixerOutputAttached();
    if (r.mixesOnClock) {
        attachMixerToClock(originMs);
    }
    r.active = true;
    return true;
}

bool isRecording() {
    return recorder().active;
}

void recordPass(std::uint64_t pass, const RenderState& render, const SceneState& scene) {
    Recorder& r = recorder();
    if (!r.active) {
        return;
    }
    flushAudio();
    if (render.framesPresented == r.lastFrame || render.frame.empty()) {
        return;
    }
    r.lastFrame = render.framesPresented;
    if (render.frame == r.lastWritten) {
        return;  // presented again, but nothing in it changed
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(pass));
    const fs::path file = r.folder / name;
    std::string error;
    switch (writeFramePng(render, file, false, error)) {
        case PngWrite::Written:
            break;
        case PngWrite::Exists:
            endAfterFailure(file.string() + ": " + std::strerror(EEXIST));
            return;
        case PngWrite::Failed:
            endAfterFailure(error);  // names the file
            return;
    }
    r.lastWritten.assign(render.frame.begin(), render.frame.end());
    const std::uint64_t before = r.index.size();
    const std::string row = std::string(name) + '\t' + std::to_string(pass) + '\t' +
                            std::to_string(render.presentedAtMs - r.originMs) + '\t' +
                            indexField(scene.scriptFile.filename().string()) + '\t' +
                            std::to_string(scene.currentLine) + '\n';
    if (!r.index.append(row)) {
        // Neither half a row nor a frame without its row is left behind.
        const std::string reason = r.index.reason();
        r.index.shrinkTo(before);
        std::error_code ignored;
        fs::remove(file, ignored);
        endAfterFailure(r.index.path().string() + ": " + reason);
    }
}

void stopRecording(std::uint32_t nowMs) {
    Recorder& r = recorder();
    if (!r.active) {
        return;
    }
    flushAudio();
    if (!r.active) {
        return;  // a write failed and ended the recording
    }
    // The sound lasts exactly as long as the run: silence where a device took nothing at the
    // end, and nothing of what a device took ahead of the clock.
    const auto runFrames =
        static_cast<std::uint64_t>(std::max<std::int64_t>(framesSinceOrigin(nowMs), 0));
    if (runFrames > r.audioFrames && !writeSilence(runFrames - r.audioFrames)) {
        return;  // the failure ended the recording
    }
    r.active = false;
    detachFromMixer();
    r.audioFrames = std::min(r.audioFrames, runFrames);
    fs::path failedFile;
    std::string reason;
    if (!completeFiles(failedFile, reason)) {
        std::fprintf(stderr, "tsuzuri: cannot complete the recording: %s: %s\n", failedFile.c_str(),
                     reason.c_str());
        std::fflush(stderr);
    }
}

}  // namespace tsuzuri
