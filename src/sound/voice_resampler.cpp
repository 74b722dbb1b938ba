#include "sound/voice_resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "platform/audio.h"

namespace tsuzuri {

namespace {

constexpr int kChannels = platform::kOutputChannels;
// Source frames handed to the resampler at a time.
constexpr std::int64_t kInputChunkFrames = 256;
// Before a position in the middle of a voice, at least this many source frames are fed and
// their output dropped, so that the filter holds the signal's real history there.
constexpr std::int64_t kPrerollFrames = 1024;
constexpr std::uint32_t kNoPosition = std::numeric_limits<std::uint32_t>::max();

}  // namespace

struct VoiceResampler {
    soxr_t soxr = nullptr;
    std::uint32_t sourceRate = 0;
    // Source and output frames that stand for the same instant, the smallest such pair: a seek
    // starts at a multiple of them, so the output stays on the grid of the whole voice.
    std::int64_t sourceStep = 1;
    std::int64_t outputStep = 1;
    std::int64_t inputCursor = 0;              // next source frame to feed; may lie outside
    std::uint32_t nextPosition = kNoPosition;  // the output frame the next one produced is
    bool inputEnded = false;
    std::vector<float> input;
    std::vector<float> output;

    ~VoiceResampler() { soxr_delete(soxr); }
};

void VoiceResamplerDeleter::operator()(VoiceResampler* resampler) const {
    delete resampler;
}

VoiceResamplerPtr makeVoiceResampler(std::uint32_t sourceRate) {
    VoiceResamplerPtr resampler(new VoiceResampler);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    // High quality (20-bit): images and aliases stay below -120 dB, the passband flat to
    // 0.01 dB up to 91 % of the lower rate's Nyquist frequency.
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    resampler->soxr =
        soxr_create(sourceRate, platform::kOutputRate, kChannels, &error, &io, &quality, &runtime);
    if (error != nullptr || resampler->soxr == nullptr) {
        return nullptr;
    }
    resampler->sourceRate = sourceRate;
    const std::int64_t common = std::gcd<std::int64_t>(sourceRate, platform::kOutputRate);
    resampler->sourceStep = sourceRate / common;
    resampler->outputStep = platform::kOutputRate / common;
    resampler->input.resize(static_cast<std::size_t>(kInputChunkFrames) * kChannels);
    return resampler;
}

namespace {

// Source frame `index` of the voice, as the resampler sees it: a looping voice repeats, a
// one-shot is silent outside its frames.
void readFrame(const ResamplerSource& source, std::int64_t index, float* out) {
    const auto frames = static_cast<std::int64_t>(source.frameCount);
    if (source.looping) {
        index %= frames;
        if (index < 0) {
            index += frames;
        }
    }
    const std::int16_t* frame = index < 0 || index >= frames
                                    ? nullptr
                                    : source.frames->at(static_cast<std::uint32_t>(index));
    if (frame == nullptr) {
        out[0] = out[1] = 0.0f;  // before a one-shot, after it, or not read yet
        return;
    }
    out[0] = static_cast<float>(frame[0]) * (1.0f / 32768.0f);
    out[1] = static_cast<float>(frame[1]) * (1.0f / 32768.0f);
}

// Produces up to `count` output frames into r.output; answers how many (fewer only once a
// one-shot's signal has run out).
std::size_t produce(VoiceResampler& r, const ResamplerSource& source, std::size_t count) {
    r.output.resize(count * kChannels);
    std::size_t produced = 0;
    const auto frames = static_cast<std::int64_t>(source.frameCount);
    while (produced < count) {
        std::size_t used = 0;
        std::size_t made = 0;
        if (!source.looping && r.inputCursor >= frames) {
            r.inputEnded = true;  // the rest is the filter's tail
        }
        if (r.inputEnded) {
            soxr_process(r.soxr, nullptr, 0, nullptr, r.output.data() + produced * kChannels,
                         count - produced, &made);
            if (made == 0) {
                break;
            }
        } else {
            std::int64_t chunk = kInputChunkFrames;
            if (!source.looping) {
                chunk = std::min(chunk, frames - r.inputCursor);
            }
            for (std::int64_t i = 0; i < chunk; ++i) {
                readFrame(source, r.inputCursor + i, r.input.data() + i * kChannels);
            }
            soxr_process(r.soxr, r.input.data(), static_cast<std::size_t>(chunk), &used,
                         r.output.data() + produced * kChannels, count - produced, &made);
            r.inputCursor += static_cast<std::int64_t>(used);
            if (source.looping && r.inputCursor >= frames) {
                r.inputCursor -= frames;  // so that a loop that turns one-shot ends on time
            }
            if (used == 0 && made == 0) {
                break;
            }
        }
        produced += made;
    }
    return produced;
}

// Starts the conversion afresh so that the next frame produced is output frame `position`.
// From the start of a voice the filter begins from silence, as the sound does; elsewhere it is
// first fed the frames before the position.
void seek(VoiceResampler& r, const ResamplerSource& source, std::uint32_t position) {
    soxr_clear(r.soxr);
    r.inputEnded = false;
    std::int64_t block = position / r.outputStep;
    if (position != 0) {
        block -= (kPrerollFrames + r.sourceStep - 1) / r.sourceStep;
    }
    r.inputCursor = block * r.sourceStep;
    auto skip = static_cast<std::size_t>(position - block * r.outputStep);
    while (skip > 0) {
        const std::size_t made = produce(r, source, std::min<std::size_t>(skip, 4096));
        if (made == 0) {
            break;
        }
        skip -= made;
    }
    r.nextPosition = position;
}

}  // namespace

void mixResampled(VoiceResampler& resampler, const ResamplerSource& source, std::uint32_t position,
                  std::int32_t* sum, int count) {
    if (position != resampler.nextPosition) {
        seek(resampler, source, position);
    }
    const std::size_t made = produce(resampler, source, static_cast<std::size_t>(count));
    const float* out = resampler.output.data();
    for (std::size_t i = 0; i < made * kChannels; ++i) {
        sum[i] += static_cast<std::int32_t>(std::lrint(out[i] * 32768.0f));
    }
    std::uint32_t next = position + static_cast<std::uint32_t>(count);
    if (source.looping && next >= source.outputFrameCount) {
        next = 0;  // the conversion carries on into the start again
    }
    resampler.nextPosition = next;
}

}  // namespace tsuzuri
