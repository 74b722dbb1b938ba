#include "sound/sample_loader.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace tsuzuri {
namespace {

// Frames read and converted at a time: about 0.7 s of CD-quality sound.
constexpr std::uint32_t kChunkFrames = 32 * 1024;
// How often the loader looks whether a window has room, when no read was needed: the ring
// holds seconds of sound, so this is far more often than needed.
constexpr auto kLookInterval = std::chrono::milliseconds(20);

struct Stream {
    Voice* voice = nullptr;
    OpenFile file;
    std::uint64_t dataOffset = 0;
    platform::PcmFormat format;
    std::uint32_t totalFrames = 0;
    std::uint32_t heldFrames = 0;  // the head, which the voice holds for good
    // Where the file stopped giving frames (it shrank, or a read failed): silence from there.
    std::uint32_t readableFrames = 0;
};

struct Loader {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::unique_ptr<Stream>> streams;
    Stream* busy = nullptr;  // the stream being read into, outside the lock
    bool stopping = false;
    std::thread thread;
};

Loader& loader() {
    static Loader instance;
    return instance;
}

// Reads and converts up to `count` frames from frame `from` of sample data in `format` that
// begins at `dataOffset` of `file`; fewer where the file ends early or cannot be read.
std::vector<std::int16_t> readConverted(const OpenFile& file, std::uint64_t dataOffset,
                                        const platform::PcmFormat& format, std::uint32_t from,
                                        std::uint32_t count) {
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> converted;
    try {
        bytes.resize(std::size_t{count} * format.blockAlign);
        const std::size_t got = readFileAt(
            file, dataOffset + std::uint64_t{from} * format.blockAlign, bytes.data(), bytes.size());
        if (!platform::convertPcm(format, bytes.data(), got, converted)) {
            converted.clear();
        }
    } catch (const std::bad_alloc&) {
        converted.clear();
    }
    return converted;
}

// Reads one chunk into the stream's window when it has room; answers whether it read any.
// Only this thread changes the window; the mix only reads it.
bool fillOnce(Stream& s) {
    VoiceStream& w = s.voice->stream;
    const std::uint32_t needed = w.neededFrom.load(std::memory_order_acquire);
    const std::uint32_t start = std::max(needed, s.heldFrames);
    const std::uint64_t window = w.window.load(std::memory_order_relaxed);
    std::uint32_t first = static_cast<std::uint32_t>(window >> 32);
    std::uint32_t end = static_cast<std::uint32_t>(window);
    if (start < first || start > end) {
        // The voice went back to its start, or ahead of what was read: read from there.
        first = end = start;
        w.window.store(VoiceStream::pack(first, end), std::memory_order_release);
    }
    // A frame replaces the one a ring's length before it, which must lie before `needed`.
    const std::uint64_t limit = std::min<std::uint64_t>(
        {s.readableFrames, std::uint64_t{needed} + w.ringFrames, s.totalFrames});
    if (end >= limit) {
        return false;
    }
    const auto count =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkFrames, limit - end));
    const std::vector<std::int16_t> frames =
        readConverted(s.file, s.dataOffset, s.format, end, count);
    const auto got = static_cast<std::uint32_t>(frames.size() / platform::kOutputChannels);
    if (got < count) {
        s.readableFrames = end + got;
    }
    if (got == 0) {
        return false;
    }
    // The frames about to be replaced leave the window first.
    const std::uint32_t newEnd = end + got;
    first = std::max(first, newEnd > w.ringFrames ? newEnd - w.ringFrames : 0);
    w.window.store(VoiceStream::pack(first, end), std::memory_order_release);
    for (std::uint32_t done = 0; done < got;) {
        const std::uint32_t slot = (end + done) % w.ringFrames;
        const std::uint32_t run = std::min(got - done, w.ringFrames - slot);
        std::memcpy(w.ring.data() + std::size_t{slot} * platform::kOutputChannels,
                    frames.data() + std::size_t{done} * platform::kOutputChannels,
                    std::size_t{run} * platform::kOutputChannels * sizeof(std::int16_t));
        done += run;
    }
    w.window.store(VoiceStream::pack(first, newEnd), std::memory_order_release);
    return true;
}

void runLoader() {
    Loader& l = loader();
    std::unique_lock guard(l.lock);
    while (!l.stopping) {
        bool readAny = false;
        for (std::size_t i = 0; i < l.streams.size() && !l.stopping; ++i) {
            Stream* stream = l.streams[i].get();
            l.busy = stream;
            guard.unlock();
            const bool read = fillOnce(*stream);
            guard.lock();
            l.busy = nullptr;
            l.changed.notify_all();
            readAny = readAny || read;
        }
        if (!readAny && !l.stopping) {
            l.changed.wait_for(guard, kLookInterval);
        }
    }
}

}  // namespace

bool readSampleFrames(Voice& voice, const OpenFile& file, std::uint64_t dataOffset,
                      const platform::PcmFormat& format, std::uint32_t count) {
    const std::uint32_t from = voice.loadedFrames.load(std::memory_order_relaxed);
    const std::vector<std::int16_t> frames = readConverted(file, dataOffset, format, from, count);
    const auto got = static_cast<std::uint32_t>(frames.size() / platform::kOutputChannels);
    std::memcpy(voice.samples.data() + std::size_t{from} * platform::kOutputChannels, frames.data(),
                frames.size() * sizeof(std::int16_t));
    voice.loadedFrames.store(from + got, std::memory_order_release);
    return got == count;
}

void queueSampleLoad(Voice& voice, OpenFile file, std::uint64_t dataOffset,
                     const platform::PcmFormat& format, std::uint32_t totalFrames) {
    Loader& l = loader();
    auto stream = std::make_unique<Stream>();
    stream->voice = &voice;
    stream->file = std::move(file);
    stream->dataOffset = dataOffset;
    stream->format = format;
    stream->totalFrames = totalFrames;
    stream->heldFrames = voice.loadedFrames.load(std::memory_order_relaxed);
    stream->readableFrames = totalFrames;
    std::lock_guard guard(l.lock);
    if (!l.thread.joinable()) {
        l.stopping = false;
        try {
            l.thread = std::thread(runLoader);
        } catch (const std::system_error&) {
            std::fprintf(stderr,
                         "tsuzuri: no thread to read long sounds with: only their first "
                         "seconds are heard\n");
            return;
        }
    }
    l.streams.push_back(std::move(stream));
    l.changed.notify_all();
}

void cancelSampleLoad(Voice& voice) {
    Loader& l = loader();
    std::unique_lock guard(l.lock);
    l.changed.wait(guard, [&l, &voice] { return l.busy == nullptr || l.busy->voice != &voice; });
    std::erase_if(l.streams,
                  [&voice](const std::unique_ptr<Stream>& s) { return s->voice == &voice; });
}

void stopSampleLoader() {
    Loader& l = loader();
    {
        std::lock_guard guard(l.lock);
        l.stopping = true;
        l.changed.notify_all();
    }
    if (l.thread.joinable()) {
        l.thread.join();
    }
    std::lock_guard guard(l.lock);
    l.streams.clear();
}

}  // namespace tsuzuri
