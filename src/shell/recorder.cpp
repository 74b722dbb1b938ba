#include "shell/recorder.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <vector>

#include "graphics/render_device.h"
#include "platform/audio.h"
#include "script_engine/scene_state.h"
#include "sound/mixer.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

struct Recorder {
    bool active = false;
    fs::path folder;
    std::ofstream index;
    std::ofstream audio;
    std::uint64_t audioBytes = 0;
    std::uint64_t lastFrame = 0;
    std::vector<std::uint32_t> rgba;  // the frame as libpng takes it
    // Filled on the output device's thread, emptied on the main thread.
    std::mutex captureLock;
    std::vector<std::int16_t> captured;
    std::vector<std::int16_t> writing;
};

Recorder& recorder() {
    static Recorder instance;
    return instance;
}

void captureMix(const std::int16_t* frames, int frameCount) {
    Recorder& r = recorder();
    std::lock_guard lock(r.captureLock);
    r.captured.insert(r.captured.end(), frames,
                      frames + static_cast<std::size_t>(frameCount) * platform::kOutputChannels);
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

void flushAudio() {
    Recorder& r = recorder();
    {
        std::lock_guard lock(r.captureLock);
        r.writing.swap(r.captured);
    }
    if (!r.writing.empty()) {
        r.audio.write(reinterpret_cast<const char*>(r.writing.data()),
                      static_cast<std::streamsize>(r.writing.size() * sizeof(std::int16_t)));
        r.audioBytes += r.writing.size() * sizeof(std::int16_t);
        r.writing.clear();
    }
}

bool writeFramePng(const fs::path& file) {
    Recorder& r = recorder();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kScreenWidth;
    image.height = kScreenHeight;
    image.format = PNG_FORMAT_BGR;  // the frame's alpha byte carries nothing
    r.rgba.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3);
    auto* out = reinterpret_cast<std::uint8_t*>(r.rgba.data());
    for (std::size_t i = 0; i < renderState.frame.size(); ++i) {
        const std::uint32_t pixel = renderState.frame[i];
        out[i * 3] = static_cast<std::uint8_t>(pixel);
        out[i * 3 + 1] = static_cast<std::uint8_t>(pixel >> 8);
        out[i * 3 + 2] = static_cast<std::uint8_t>(pixel >> 16);
    }
    return png_image_write_to_file(&image, file.c_str(), 0, out, 0, nullptr) != 0;
}

}  // namespace

bool startRecording(const fs::path& folder, std::string& error) {
    Recorder& r = recorder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot make the recording folder " + folder.string() + ": " + ec.message();
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
    r.audioBytes = 0;
    r.lastFrame = renderState.framesPresented;
    {
        std::lock_guard lock(r.captureLock);
        r.captured.clear();
    }
    setMixTap(captureMix);
    r.active = true;
    return true;
}

bool isRecording() {
    return recorder().active;
}

void recordPass(std::uint64_t pass, std::uint32_t msSinceLoop) {
    Recorder& r = recorder();
    if (!r.active) {
        return;
    }
    flushAudio();
    if (renderState.framesPresented == r.lastFrame || renderState.frame.empty()) {
        return;
    }
    r.lastFrame = renderState.framesPresented;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(pass));
    if (!writeFramePng(r.folder / name)) {
        std::fprintf(stderr, "tsuzuri: cannot write %s\n", (r.folder / name).c_str());
        return;
    }
    r.index << name << '\t' << pass << '\t' << msSinceLoop << '\t'
            << sceneState.scriptFile.filename().string() << '\t' << sceneState.currentLine << '\n';
    r.index.flush();
}

void stopRecording() {
    Recorder& r = recorder();
    if (!r.active) {
        return;
    }
    setMixTap(nullptr);
    flushAudio();
    r.audio.seekp(0);
    writeWavHeader(r.audio,
                   static_cast<std::uint32_t>(std::min<std::uint64_t>(r.audioBytes, 0xFFFFFFF0u)));
    r.audio.close();
    r.index.close();
    r.active = false;
}

}  // namespace tsuzuri
