#include "capture/recorder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <vector>

#include "capture/frame_png.h"
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
    bool active = false;
    fs::path folder;
    std::ofstream index;
    std::ofstream audio;
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

void put32(std::ostream& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    out.write(bytes, 4);
}

void put16(std::ostream& out, std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
    out.write(bytes, 2);
}

constexpr std::uint64_t kWavHeaderBytes = 44;

// A canonical WAV header for `dataBytes` bytes of output-format samples.
void writeWavHeader(std::ostream& out, std::uint32_t dataBytes) {
    constexpr std::uint16_t kBlock = platform::kOutputChannels * 2;
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, platform::kOutputChannels);
    put32(out, platform::kOutputRate);
    put32(out, platform::kOutputRate * kBlock);
    put16(out, kBlock);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
}

// How far a device's sound may stray from its place on the clock before the recording puts it
// back there: 5 ms, more than the usual jitter of a device's requests and well inside what
// can be heard as out of step.
constexpr std::int64_t kPlacementSlackFrames = platform::kOutputRate / 200;

std::int64_t framesSinceOrigin(std::uint32_t ms) {
    const auto since = static_cast<std::int32_t>(ms - recorder().originMs);
    return std::int64_t{since} * platform::kOutputRate / 1000;
}

void writeSilence(std::uint64_t frames) {
    Recorder& r = recorder();
    static const std::int16_t silence[1024 * platform::kOutputChannels] = {};
    for (std::uint64_t left = frames; left > 0;) {
        const std::uint64_t count = std::min<std::uint64_t>(left, 1024);
        r.audio.write(reinterpret_cast<const char*>(silence),
                      static_cast<std::streamsize>(count * sizeof silence / 1024));
        left -= count;
    }
    r.audioFrames += frames;
}

// Writes a part where it belongs on the clock. A device asks for sound at its own pace, which
// drifts from the clock (test drivers by a percent or two) and jitters: the part goes on
// straight after the one before while it stays within the slack of its place, and is put back
// at its place otherwise (silence where the device took nothing, the overlap dropped where it
// took more). Sound mixed on the clock always lands at its place exactly.
void writePlaced(const CapturedPart& part, const std::int16_t* samples) {
    Recorder& r = recorder();
    const std::int64_t place = framesSinceOrigin(part.startMs);
    const auto written = static_cast<std::int64_t>(r.audioFrames);
    std::size_t skip = 0;
    if (place > written + kPlacementSlackFrames) {
        writeSilence(static_cast<std::uint64_t>(place - written));
    } else if (place < written - kPlacementSlackFrames) {
        skip = static_cast<std::size_t>(
            std::min<std::int64_t>(written - place, static_cast<std::int64_t>(part.frames)));
    }
    const std::size_t count = part.frames - skip;
    r.audio.write(
        reinterpret_cast<const char*>(samples + skip * platform::kOutputChannels),
        static_cast<std::streamsize>(count * platform::kOutputChannels * sizeof(std::int16_t)));
    r.audioFrames += count;
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
        writePlaced(part, samples);
        samples += part.frames * platform::kOutputChannels;
    }
    r.writing.clear();
    r.writingParts.clear();
}

// The names a recording writes into its folder.
bool isRecordingFile(const fs::path& name) {
    const std::string text = name.string();
    return text == "index.tsv" || text == "audio.wav" ||
           (text.starts_with("frame-") && text.ends_with(".png"));
}

}  // namespace

bool prepareRecordingFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
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
    return true;
}

bool startRecording(const fs::path& folder, const RenderState& render, std::uint32_t originMs,
                    std::string& error) {
    Recorder& r = recorder();
    if (!prepareRecordingFolder(folder, error)) {
        return false;
    }
    r.folder = folder;
    r.index.open(folder / "index.tsv", std::ios::trunc);
    r.audio.open(folder / "audio.wav", std::ios::binary | std::ios::trunc);
    if (!r.index || !r.audio) {
        error = "cannot write into the recording folder " + folder.string();
        r.index.close();
        r.audio.close();
        return false;
    }
    r.index << "file\tpass\tms\tscript\tline\n";
    writeWavHeader(r.audio, 0);
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
    std::string error;
    if (writeFramePng(render, r.folder / name, true, error) != PngWrite::Written) {
        std::fprintf(stderr, "tsuzuri: cannot write %s\n", error.c_str());
        return;
    }
    r.lastWritten.assign(render.frame.begin(), render.frame.end());
    r.index << name << '\t' << pass << '\t' << render.presentedAtMs - r.originMs << '\t'
            << scene.scriptFile.filename().string() << '\t' << scene.currentLine << '\n';
    r.index.flush();
}

void stopRecording(std::uint32_t nowMs) {
    Recorder& r = recorder();
    if (!r.active) {
        return;
    }
    flushAudio();
    setMixTap(nullptr);
    if (r.mixesOnClock) {
        setMixerOutputAttached(false);
        r.mixesOnClock = false;
    }
    // The sound lasts exactly as long as the run: silence where a device took nothing at the
    // end, and nothing of what a device took ahead of the clock.
    const std::int64_t runFrames = framesSinceOrigin(nowMs);
    if (runFrames > static_cast<std::int64_t>(r.audioFrames)) {
        writeSilence(static_cast<std::uint64_t>(runFrames) - r.audioFrames);
    }
    r.audioFrames =
        std::min(r.audioFrames, static_cast<std::uint64_t>(std::max<std::int64_t>(runFrames, 0)));
    const std::uint64_t bytes = r.audioFrames * platform::kOutputChannels * sizeof(std::int16_t);
    r.audio.seekp(0);
    writeWavHeader(r.audio,
                   static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, 0xFFFFFFF0u)));
    r.audio.close();
    std::error_code ec;
    fs::resize_file(r.folder / "audio.wav", kWavHeaderBytes + bytes, ec);
    r.index.close();
    r.active = false;
}

}  // namespace tsuzuri
