// The sound the player makes of a file, judged as sound: the real sound layer loads and plays
// it, the mixer mixes it on a test clock (as for a recording, without a device), and the 48 kHz
// mix is measured: tone purity, tone level, loop seams, pass-through of the output format.
#include <gtest/gtest.h>
#include <atomic>

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/audio.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "sound/mixer.h"
#include "sound/sound_layer.h"
#include "support/fake_clock.h"
#include "support/spectrum.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

constexpr int kRate = platform::kOutputRate;
constexpr std::size_t kPoints = 16384;

test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeNow = fakeClock.now;
std::vector<std::int16_t> mixed;
void keepMix(const std::int16_t* frames, int frameCount, std::uint32_t) {
    mixed.insert(mixed.end(), frames, frames + std::size_t(frameCount) * 2);
}

// `count` samples of one channel of an interleaved stereo mix, from frame `from` on.
std::vector<double> channel(const std::vector<std::int16_t>& mix, int side, std::size_t from,
                            std::size_t count) {
    std::vector<double> out;
    for (std::size_t i = from; i < from + count && 2 * i + 1 < mix.size(); ++i) {
        out.push_back(mix[2 * i + side]);
    }
    return out;
}

// A sine of `amplitude` (in 16-bit units) at `hz`, starting at phase 0, as little-endian PCM of
// `bits` bits (8 unsigned, 16 or 24 signed), each frame repeated over `channels`.
std::string sinePcm(double rate, double hz, double seconds, int bits, int channels,
                    double amplitude = 16384) {
    std::string pcm;
    const auto frames = static_cast<long>(std::lround(rate * seconds));
    for (long i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * hz * i / rate);
        const auto sample = static_cast<std::int32_t>(std::lround(v * (1 << (bits - 8)) / 256));
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                pcm += static_cast<char>(sample + 128);
            } else {
                for (int byte = 0; byte < bits / 8; ++byte) {
                    pcm += static_cast<char>((sample >> (8 * byte)) & 0xFF);
                }
            }
        }
    }
    return pcm;
}

class ConversionQualityTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        SoundUseOutputDevice(false);
        ASSERT_EQ(SoundInit(1, platform::systemClock()), S_OK);
        fakeNow = 1000;
        setMixerClock(&fakeClock);
        setMixTap(keepMix);
    }
    void TearDown() override {
        setMixTap(nullptr);
        SoundShutdown();
        setMixerClock(nullptr);
        SoundUseOutputDevice(true);
        platform::selectBackend(platform::Backend::Sdl);
    }

    std::string wavePath(const std::string& name) const {
        return (game_.path() / "wave" / name).string();
    }
    SoundId load(const std::string& name) {
        return SoundLoad(GamePath{game_.path(), "wave\\" + name});
    }
    SoundId load(const std::string& name, std::uint32_t rate, int bits, int channels,
                 const std::string& pcm) {
        test::WavSpec spec;
        spec.rate = rate;
        spec.bits = static_cast<std::uint16_t>(bits);
        spec.channels = static_cast<std::uint16_t>(channels);
        spec.samples = pcm;
        game_.write("wave/" + name, test::buildWav(spec));
        return load(name);
    }
    // A sound made by sox: `synth` are the arguments of its synth effect.
    SoundId loadSox(const std::string& name, int rate, int channels, const std::string& synth) {
        std::filesystem::create_directories(game_.path() / "wave");
        // The rate goes before -n, so that the tone is made at the file's rate rather than made
        // at sox's default rate and converted.
        EXPECT_TRUE(test::runSox("-D -r " + std::to_string(rate) + " -n -b 16 -c " +
                                 std::to_string(channels) + " " + wavePath(name) + " synth " +
                                 synth));
        return load(name);
    }

    // Plays the sound now and answers the mix of the next `ms` milliseconds, pulled 10 ms at a
    // time as a device would; then stops it.
    static std::vector<std::int16_t> play(SoundId id, bool loop, int ms) {
        mixed.clear();
        attachMixerToClock(fakeNow);
        EXPECT_EQ(SoundPlay(id, loop ? 1 : 0), S_OK);
        for (int t = 0; t < ms; t += 10) {
            fakeNow += 10;
            mixDueFrames();
        }
        SoundStop(id);
        return mixed;
    }

    test::TempFolder game_;
};

// Every component besides the tone stays 90 dB below it (a tone above the output's band is not
// heard at all): images and aliases of the rate conversion, and its noise.
TEST_F(ConversionQualityTest, RateConversionAddsNothingAudibleToATone) {
    // The measure itself reads a tone rounded to 16 bits as clean far beyond the target.
    std::vector<double> ideal;
    for (std::size_t i = 0; i < kPoints; ++i) {
        ideal.push_back(std::round(16384 * std::sin(2 * std::numbers::pi * 10000.3 * i / kRate)));
    }
    const test::ToneMeasure reference = test::measureTone(ideal, kRate, 10000.3);
    EXPECT_LT(test::decibels(reference.spur / reference.tone), -110);

    struct Source {
        int rate;
        double hz;
        int channels;
    };
    for (const Source source :
         {Source{22050, 10000, 1}, Source{11025, 5000, 1}, Source{44100, 19000, 2},
          Source{96000, 30000, 1}, Source{22050, 1000, 1}}) {
        const std::string name =
            std::to_string(source.rate) + "-" + std::to_string(int(source.hz)) + ".wav";
        SCOPED_TRACE(name);
        const SoundId id = loadSox(name, source.rate, source.channels,
                                   "1 sine " + std::to_string(source.hz) + " vol 0.5");
        ASSERT_GT(id, 0);
        const std::vector<std::int16_t> mix = play(id, false, 1000);
        for (const int side : {0, 1}) {
            const std::vector<double> samples = channel(mix, side, kRate / 4, kPoints);
            ASSERT_EQ(samples.size(), kPoints);
            const bool heard = source.hz < kRate / 2;
            const test::ToneMeasure m = test::measureTone(samples, kRate, heard ? source.hz : 0);
            // Relative to the tone, or to full scale for a tone that must not be heard.
            const double reference = heard ? m.tone : 32768;
            EXPECT_LT(test::decibels(m.spur / reference), -90)
                << "side " << side << ": strongest other component at " << m.spurHz << " Hz; "
                << "everything besides the tone at " << test::decibels(m.others / reference)
                << " dB";
        }
    }
}

// A 1 kHz tone comes out at the level it went in, whatever the file's rate, sample format
// (8-bit unsigned, 16-bit, 24-bit) and channels (mono goes to both sides).
TEST_F(ConversionQualityTest, ToneKeepsItsLevelAtEveryRateAndFormat) {
    struct Source {
        std::uint32_t rate;
        int bits;
        int channels;
    };
    for (const Source source : {Source{8000, 16, 1}, Source{11025, 16, 1}, Source{22050, 16, 1},
                                Source{32000, 16, 1}, Source{44100, 16, 1}, Source{48000, 16, 1},
                                Source{96000, 16, 1}, Source{22050, 8, 1}, Source{44100, 24, 2}}) {
        const std::string name = std::to_string(source.rate) + "-" + std::to_string(source.bits) +
                                 "-" + std::to_string(source.channels) + ".wav";
        SCOPED_TRACE(name);
        const SoundId id = load(name, source.rate, source.bits, source.channels,
                                sinePcm(source.rate, 1000, 1.0, source.bits, source.channels));
        ASSERT_GT(id, 0);
        const std::vector<std::int16_t> mix = play(id, false, 1000);
        for (const int side : {0, 1}) {
            const test::ToneMeasure m =
                test::measureTone(channel(mix, side, kRate / 4, kPoints), kRate, 1000);
            EXPECT_NEAR(test::decibels(m.tone / 16384), 0.0, 0.1) << "side " << side;
        }
    }
}

// A looping clip of whole periods of a tone is heard as the continuous tone: where it runs from
// its end into its start, it departs from the ideal tone no more than in its middle. One at the
// output rate repeats its samples exactly.
TEST_F(ConversionQualityTest, LoopSeamsAreAsCleanAsTheMiddle) {
    constexpr double kHz = 3000;
    constexpr double kClip = 0.2;  // 600 periods
    constexpr auto kLap = static_cast<std::size_t>(kClip * kRate);
    constexpr std::size_t kHalfWindow = kRate / 200;  // 5 ms either side
    for (const std::uint32_t rate : {11025u, 22050u, 44100u, 48000u}) {
        SCOPED_TRACE(rate);
        const SoundId id =
            load(std::to_string(rate) + ".wav", rate, 16, 1, sinePcm(rate, kHz, kClip, 16, 1));
        ASSERT_GT(id, 0);
        const std::vector<double> x = channel(play(id, true, 1100), 0, 0, 1100 * kRate / 1000);
        std::size_t onset = 0;
        while (onset < x.size() && std::abs(x[onset]) < 1600) {
            ++onset;
        }
        ASSERT_LT(onset + 5 * kLap, x.size());
        // The continuous tone nearest the mix over four laps, by least squares.
        double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
        for (std::size_t i = onset + kHalfWindow; i < onset + 5 * kLap; ++i) {
            const double c = std::cos(2 * std::numbers::pi * kHz * i / kRate);
            const double s = std::sin(2 * std::numbers::pi * kHz * i / kRate);
            cc += c * c, ss += s * s, cs += c * s, xc += x[i] * c, xs += x[i] * s;
        }
        const double det = cc * ss - cs * cs;
        const double a = (xc * ss - xs * cs) / det;
        const double b = (xs * cc - xc * cs) / det;
        // Root-mean-square and largest error in the windows around the seams and the middles.
        const auto error = [&](std::size_t firstCentre) {
            double sum = 0, largest = 0;
            std::size_t count = 0;
            for (std::size_t lap = 0; lap < 4; ++lap) {
                const std::size_t centre = onset + firstCentre + lap * kLap;
                for (std::size_t i = centre - kHalfWindow; i < centre + kHalfWindow; ++i) {
                    const double e = x[i] - a * std::cos(2 * std::numbers::pi * kHz * i / kRate) -
                                     b * std::sin(2 * std::numbers::pi * kHz * i / kRate);
                    sum += e * e, largest = std::max(largest, std::abs(e)), ++count;
                }
            }
            return std::pair{std::sqrt(sum / count), largest};
        };
        const auto [seamRms, seamMax] = error(kLap);
        const auto [middleRms, middleMax] = error(kLap / 2);
        // Rounding to 16 bits leaves an error of about a unit anywhere; the margin is for chance.
        EXPECT_LE(seamMax, 1.25 * middleMax + 2)
            << "error at the seams: rms " << seamRms << ", largest " << seamMax
            << "; in the middle: rms " << middleRms << ", largest " << middleMax
            << " (16-bit units; the tone's amplitude is 16384)";
    }
}

// A file in the output format (48 kHz, 16-bit stereo) is heard sample for sample, once and
// looping.
TEST_F(ConversionQualityTest, OutputFormatPassesThroughUntouchedOnceAndLooping) {
    const SoundId id = loadSox("native.wav", kRate, 2, "0.25 sine 440 sine 997");
    ASSERT_GT(id, 0);
    // sox's own account of the samples.
    const std::string raw = (game_.path() / "native.raw").string();
    ASSERT_TRUE(test::runSox(wavePath("native.wav") + " -t raw " + raw));
    const std::string bytes = test::readBytes(raw);
    std::vector<std::int16_t> clip(bytes.size() / 2);
    std::memcpy(clip.data(), bytes.data(), clip.size() * 2);
    ASSERT_EQ(clip.size(), std::size_t{kRate / 4 * 2});

    for (const bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        const std::vector<std::int16_t> mix = play(id, loop, 1000);
        // Where the clip begins: its first sounding frame (sox's sines start at 0).
        std::size_t offset = 0;
        while (offset < mix.size() && mix[offset] == 0 && mix[offset + 1] == 0) {
            offset += 2;
        }
        ASSERT_GE(offset, std::size_t{2});
        offset -= 2;
        const std::size_t laps = loop ? 3 : 1;
        ASSERT_GE(mix.size(), offset + laps * clip.size() + 2);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < laps * clip.size(); ++i) {
            differing += mix[offset + i] != clip[i % clip.size()];
        }
        EXPECT_EQ(differing, 0u);
        if (!loop) {
            EXPECT_EQ(mix[offset + clip.size()], 0) << "nothing follows the clip";
        }
    }
}

}  // namespace
}  // namespace tsuzuri
