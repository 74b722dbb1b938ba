// Sound output over SDL: PCM conversion into the output format, and the device pulling frames
// (SDL's disk driver writes them to a file, so what the device was given can be read back).
#include "platform/audio.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>

#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri::platform {
namespace {

std::vector<std::int16_t> convert(const PcmFormat& format, const std::string& bytes) {
    std::vector<std::int16_t> out{1, 2, 3};  // replaced, not appended to
    EXPECT_TRUE(
        convertPcm(format, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out));
    return out;
}

PcmFormat pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    return PcmFormat{channels, rate, static_cast<std::uint16_t>(channels * bits / 8), bits};
}

TEST(AudioConversionTest, PlayableFormats) {
    EXPECT_TRUE(isPcmFormatPlayable(pcm(1, 8000, 8)));
    EXPECT_TRUE(isPcmFormatPlayable(pcm(2, 44100, 16)));
    EXPECT_TRUE(isPcmFormatPlayable(pcm(6, 96000, 24)));
    EXPECT_TRUE(isPcmFormatPlayable(pcm(8, 200000, 32)));
    EXPECT_TRUE(isPcmFormatPlayable(pcm(1, 100, 8)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(0, 44100, 16)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(9, 44100, 16)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(2, 44100, 12)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(2, 44100, 0)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(2, 0, 16)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(2, 99, 16)));
    EXPECT_FALSE(isPcmFormatPlayable(pcm(2, 200001, 16)));
    EXPECT_FALSE(isPcmFormatPlayable(PcmFormat{2, 44100, 0, 16}));
    EXPECT_FALSE(isPcmFormatPlayable(PcmFormat{2, 44100, 8, 16}));

    std::vector<std::int16_t> out{1};
    const std::uint8_t bytes[4] = {};
    EXPECT_FALSE(convertPcm(pcm(2, 44100, 12), bytes, 4, out));
    EXPECT_TRUE(out.empty());
}

TEST(AudioConversionTest, OutputFormatPassesThroughSampleForSample) {
    const std::string samples = test::stereo16(
        1000, [](std::uint32_t i) { return static_cast<std::int16_t>(i * 31 - 15000); },
        [](std::uint32_t i) { return static_cast<std::int16_t>(-static_cast<int>(i) * 17); });
    const std::vector<std::int16_t> out = convert(pcm(2, 48000, 16), samples + "x");
    ASSERT_EQ(out.size(), 2000u) << "the partial frame at the end is dropped";
    EXPECT_EQ(std::memcmp(out.data(), samples.data(), samples.size()), 0);
}

TEST(AudioConversionTest, SampleDepthsKeepTheirSignAndScale) {
    // 8-bit samples are unsigned around 128; mono goes to both channels.
    std::vector<std::int16_t> out = convert(pcm(1, 48000, 8), std::string("\x80\xFF\x00\xC0", 4));
    ASSERT_EQ(out.size(), 8u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    EXPECT_NEAR(out[2], 32512, 300);
    EXPECT_EQ(out[3], out[2]);
    EXPECT_NEAR(out[4], -32768, 300);
    EXPECT_NEAR(out[6], 16384, 300);

    // 24-bit: the top 16 bits survive, negative values stay negative.
    const auto s24 = [](std::int32_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF)};
    };
    out = convert(pcm(1, 48000, 24),
                  s24(0x7FFFFF) + s24(-0x800000) + s24(0x123456) + s24(-0x123456) + s24(-1));
    ASSERT_EQ(out.size(), 10u);
    EXPECT_NEAR(out[0], 32767, 1);
    EXPECT_NEAR(out[2], -32768, 1);
    EXPECT_NEAR(out[4], 0x1234, 1);
    EXPECT_NEAR(out[6], -0x1234, 1);
    EXPECT_NEAR(out[8], 0, 1);

    // 32-bit integer samples.
    out = convert(pcm(1, 48000, 32), test::le32(0x7FFFFFFF) + test::le32(0x80000000u) +
                                         test::le32(0x12345678) + test::le32(0xEDCBA988u));
    ASSERT_EQ(out.size(), 8u);
    EXPECT_NEAR(out[0], 32767, 1);
    EXPECT_NEAR(out[2], -32768, 1);
    EXPECT_NEAR(out[4], 0x1234, 1);
    EXPECT_NEAR(out[6], -0x1234, 1);
}

// Conversion keeps the sound's rate and every frame; the length at the output rate is exact.
TEST(AudioConversionTest, LengthsAreExact) {
    struct Case {
        PcmFormat format;
        std::uint32_t frames;
    };
    for (const Case& c : {Case{pcm(1, 22050, 8), 22050}, Case{pcm(2, 44100, 16), 154350},
                          Case{pcm(2, 44100, 16), 441}, Case{pcm(1, 11025, 16), 11027},
                          Case{pcm(6, 96000, 24), 96001}, Case{pcm(1, 100, 8), 250},
                          Case{pcm(2, 199999, 16), 3000}, Case{pcm(1, 44100, 16), 1}}) {
        SCOPED_TRACE(std::to_string(c.format.samplesPerSec) + " Hz, " + std::to_string(c.frames) +
                     " frames");
        const std::string bytes(c.frames * c.format.blockAlign, '\x10');
        const std::vector<std::int16_t> out = convert(c.format, bytes);
        const std::uint64_t expected = std::uint64_t{c.frames} * 48000 / c.format.samplesPerSec;
        EXPECT_EQ(convertedFrameCount(c.format, c.frames), expected);
        EXPECT_EQ(out.size(), std::size_t{c.frames} * 2);
    }
}

// Long sounds are converted a second at a time; the pieces join without a seam.
TEST(AudioConversionTest, LongSoundsKeepEverySampleAcrossPieces) {
    for (const std::uint32_t rate : {44100u, 22050u, 32000u, 96000u}) {
        SCOPED_TRACE(rate);
        const std::uint32_t frames = rate * 5 / 2;
        std::vector<std::int16_t> input(frames * 2);
        for (std::uint32_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            input[2 * i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 440 * t));
            input[2 * i + 1] = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 1234.5 * t));
        }
        std::vector<std::int16_t> out;
        ASSERT_TRUE(convertPcm(pcm(2, rate, 16), reinterpret_cast<const std::uint8_t*>(input.data()),
                               input.size() * 2, out));
        EXPECT_EQ(out, input);
    }
}

// What the fill function wrote reaches the device; after closing it is not called again.
std::atomic<std::uint32_t> framesFilled{0};

void fillCounting(std::int16_t* frames, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t n = framesFilled.fetch_add(1) + 1;
        frames[2 * i] = static_cast<std::int16_t>(n & 0x7FFF);
        frames[2 * i + 1] = static_cast<std::int16_t>(-static_cast<int>(n & 0x7FFF));
    }
}

TEST(AudioOutputTest, DeviceWritesWhatTheFillFunctionGives) {
    test::TempFolder folder;
    const std::string file = (folder.path() / "out.raw").string();
    test::ScopedEnv env;
    env.set("SDL_AUDIODRIVER", "disk");
    env.set("SDL_DISKAUDIOFILE", file.c_str());
    framesFilled = 0;
    std::string reason;
    ASSERT_TRUE(openAudioOutput(fillCounting, reason)) << reason;
    while (framesFilled.load() < 4800) {
        SDL_Delay(5);
    }
    closeAudioOutput();
    const std::uint32_t filled = framesFilled.load();
    SDL_Delay(30);
    EXPECT_EQ(framesFilled.load(), filled);
    closeAudioOutput();  // harmless twice

    // Everything filled, in order; before it was started and once paused the device may have
    // written silence.
    const std::string bytes = test::readBytes(file);
    const std::size_t start = bytes.find_first_not_of('\0');
    ASSERT_NE(start, std::string::npos);
    ASSERT_EQ(start % (kOutputBufferFrames * 4), 0u);
    ASSERT_GE(bytes.size(), start + filled * 4u);
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.data() + start);
    for (std::uint32_t i = 0; i < filled; ++i) {
        ASSERT_EQ(samples[2 * i], static_cast<std::int16_t>((i + 1) & 0x7FFF)) << i;
        ASSERT_EQ(samples[2 * i + 1], -samples[2 * i]) << i;
    }
    EXPECT_EQ(bytes.find_first_not_of('\0', start + filled * 4u), std::string::npos);
    EXPECT_EQ(filled % kOutputBufferFrames, 0u);
}

TEST(AudioOutputTest, NamedDriverThatCannotOpenSaysWhy) {
    test::ScopedEnv env;
    env.set("SDL_AUDIODRIVER", "no-such-driver");
    std::string reason;
    EXPECT_FALSE(openAudioOutput(fillCounting, reason));
    EXPECT_NE(reason.find("no-such-driver"), std::string::npos) << reason;
    closeAudioOutput();
}

}  // namespace
}  // namespace tsuzuri::platform
