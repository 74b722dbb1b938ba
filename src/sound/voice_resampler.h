// Rate conversion of a voice while it plays: libsoxr's band-limited resampler, fed from the
// voice's frames at their own rate. A looping voice is fed its start again after its end, so it
// is converted as the periodic signal it is and its seam is as clean as its middle.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sound/voice_frames.h"

namespace tsuzuri {

struct VoiceResampler;
struct VoiceResamplerDeleter {
    void operator()(VoiceResampler* resampler) const;
};
using VoiceResamplerPtr = std::unique_ptr<VoiceResampler, VoiceResamplerDeleter>;

// A resampler from `sourceRate` to the output rate, or null when one cannot be made.
VoiceResamplerPtr makeVoiceResampler(std::uint32_t sourceRate);

// What a resampler reads: the voice's frames at the source rate as they are now (those not read
// are silence), how many it has, and its length at the output rate.
struct ResamplerSource {
    const FrameSnapshot* frames = nullptr;
    std::uint32_t frameCount = 0;
    std::uint32_t outputFrameCount = 0;
    bool looping = false;
};

// Adds `count` output frames of the voice, from output frame `position` on, to `sum`
// (interleaved stereo). Consecutive calls carry on from where the last one ended (from 0 after
// the voice's last frame when it loops); any other position is sought first.
void mixResampled(VoiceResampler& resampler, const ResamplerSource& source, std::uint32_t position,
                  std::int32_t* sum, int count);

}  // namespace tsuzuri
