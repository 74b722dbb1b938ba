#include "sound/sample_loader.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace tsuzuri {
namespace {

// Frames read and converted at a time: about a megabyte of CD-quality sound.
constexpr std::uint32_t kPartFrames = 256 * 1024;

struct Load {
    Voice* voice = nullptr;
    OpenFile file;
    std::uint64_t dataOffset = 0;
    platform::PcmFormat format;
    std::uint32_t totalFrames = 0;
};

struct Loader {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Load> queue;
    Voice* current = nullptr;  // the voice being read into, outside the lock
    bool cancelCurrent = false;
    bool stopping = false;
    std::thread thread;
};

Loader& loader() {
    static Loader instance;
    return instance;
}

// Reads and converts one part; answers false when the file has nothing more to give.
bool loadPart(Load& load) {
    return readSampleFrames(
        *load.voice, load.file, load.dataOffset, load.format,
        std::min(kPartFrames,
                 load.totalFrames - load.voice->loadedFrames.load(std::memory_order_relaxed)));
}

void runLoader() {
    Loader& l = loader();
    std::unique_lock guard(l.lock);
    while (true) {
        l.changed.wait(guard, [&l] { return l.stopping || !l.queue.empty(); });
        if (l.stopping) {
            return;
        }
        Load load = std::move(l.queue.front());
        l.queue.pop_front();
        l.current = load.voice;
        l.cancelCurrent = false;
        while (!l.cancelCurrent && !l.stopping &&
               load.voice->loadedFrames.load(std::memory_order_relaxed) < load.totalFrames) {
            guard.unlock();
            const bool more = loadPart(load);
            guard.lock();
            if (!more) {
                break;
            }
        }
        l.current = nullptr;
        l.changed.notify_all();
    }
}

}  // namespace

bool readSampleFrames(Voice& voice, const OpenFile& file, std::uint64_t dataOffset,
                      const platform::PcmFormat& format, std::uint32_t count) {
    const std::uint32_t from = voice.loadedFrames.load(std::memory_order_relaxed);
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> converted;
    std::size_t got = 0;
    try {
        bytes.resize(std::size_t{count} * format.blockAlign);
        got = readFileAt(file, dataOffset + std::uint64_t{from} * format.blockAlign, bytes.data(),
                         bytes.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!platform::convertPcm(format, bytes.data(), got, converted) || converted.empty()) {
        return false;
    }
    std::memcpy(voice.samples.data() + std::size_t{from} * platform::kOutputChannels,
                converted.data(), converted.size() * sizeof(std::int16_t));
    const auto frames = static_cast<std::uint32_t>(converted.size() / platform::kOutputChannels);
    voice.loadedFrames.store(from + frames, std::memory_order_release);
    return got == bytes.size();
}

void queueSampleLoad(Voice& voice, OpenFile file, std::uint64_t dataOffset,
                     const platform::PcmFormat& format, std::uint32_t totalFrames) {
    Loader& l = loader();
    Load load{&voice, std::move(file), dataOffset, format, totalFrames};
    {
        std::lock_guard guard(l.lock);
        if (!l.thread.joinable()) {
            l.stopping = false;
            try {
                l.thread = std::thread(runLoader);
            } catch (const std::system_error&) {
                // No thread to be had: read it all now rather than not at all.
            }
        }
        if (l.thread.joinable()) {
            l.queue.push_back(std::move(load));
            l.changed.notify_all();
            return;
        }
    }
    while (voice.loadedFrames.load(std::memory_order_relaxed) < totalFrames && loadPart(load)) {
    }
}

void cancelSampleLoad(Voice& voice) {
    Loader& l = loader();
    std::unique_lock guard(l.lock);
    std::erase_if(l.queue, [&voice](const Load& load) { return load.voice == &voice; });
    if (l.current == &voice) {
        l.cancelCurrent = true;
        l.changed.wait(guard, [&l, &voice] { return l.current != &voice; });
    }
}

void stopSampleLoader() {
    Loader& l = loader();
    {
        std::lock_guard guard(l.lock);
        l.queue.clear();
        l.stopping = true;
        l.changed.notify_all();
    }
    if (l.thread.joinable()) {
        l.thread.join();
    }
}

}  // namespace tsuzuri
