// Where the frames a voice plays are kept. A short sound is held whole. A long one holds its
// head (its first frames, read when it loads, so that it starts and loops back at once) and a
// window of the rest, a ring that the sample loader keeps filled ahead of where the voice plays
// and that moves along with it: whatever its length, a sound takes a bounded amount of memory.
//
// The window is shared by two threads without a lock. The loader fills frames and then
// publishes the new end of the window; the mix publishes the first frame it may still read
// (`neededFrom`) before it reads, and the loader replaces only frames before that one.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/audio.h"

namespace tsuzuri {

// How far before a voice's play position the mix may read frames: the resampler's lead-in
// after a seek (1024 frames and a chunk) with room to spare. The head is longer than this.
constexpr std::uint32_t kStreamReadMargin = 4096;

struct VoiceStream {
    // Interleaved 16-bit stereo frames at the voice's own rate, `ringFrames` of them; empty for
    // a voice held whole.
    std::vector<std::int16_t> ring;
    std::uint32_t ringFrames = 0;
    // The frames of the voice the ring holds, [first, end), packed as (first << 32) | end.
    std::atomic<std::uint64_t> window{0};
    // The first frame the mix may still read; the loader keeps the ring filled from there.
    std::atomic<std::uint32_t> neededFrom{0};

    static constexpr std::uint64_t pack(std::uint32_t first, std::uint32_t end) {
        return (std::uint64_t{first} << 32) | end;
    }
};

// The frames of a voice as they are at one moment, for one mixing call.
class FrameSnapshot {
public:
    FrameSnapshot(const std::vector<std::int16_t>& held, std::uint32_t heldLoaded,
                  const VoiceStream& stream)
        : held_(held.data()),
          heldLoaded_(std::min<std::uint32_t>(
              heldLoaded, static_cast<std::uint32_t>(held.size() / platform::kOutputChannels))),
          heldCount_(static_cast<std::uint32_t>(held.size() / platform::kOutputChannels)),
          ring_(stream.ring.data()),
          ringFrames_(stream.ringFrames) {
        const std::uint64_t window = stream.window.load(std::memory_order_acquire);
        first_ = static_cast<std::uint32_t>(window >> 32);
        end_ = static_cast<std::uint32_t>(window);
    }

    // Frame `index` (two samples), or null where it has not been read: silence.
    const std::int16_t* at(std::uint32_t index) const {
        if (index < heldCount_) {
            return index < heldLoaded_ ? held_ + std::size_t{index} * platform::kOutputChannels
                                       : nullptr;
        }
        if (ringFrames_ == 0 || index < first_ || index >= end_) {
            return nullptr;
        }
        return ring_ + std::size_t{index % ringFrames_} * platform::kOutputChannels;
    }

    // How many frames from `index` on follow each other in memory and are read (0: none).
    std::uint32_t runAt(std::uint32_t index) const {
        if (index < heldCount_) {
            return index < heldLoaded_ ? heldLoaded_ - index : 0;
        }
        if (ringFrames_ == 0 || index < first_ || index >= end_) {
            return 0;
        }
        return std::min(end_ - index, ringFrames_ - index % ringFrames_);
    }

private:
    const std::int16_t* held_;
    std::uint32_t heldLoaded_;
    std::uint32_t heldCount_;
    const std::int16_t* ring_;
    std::uint32_t ringFrames_;
    std::uint32_t first_ = 0;
    std::uint32_t end_ = 0;
};

}  // namespace tsuzuri
