// The sound layer: ids and the table of sounds, lengths, formats the output refuses, playing
// on without a device, and what reaches a real SDL device (its disk driver, read back).
#include "sound/sound_layer.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>
#include <atomic>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/headless.h"
#include "platform/platform.h"
#include "sound/mixer.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

using test::WavSpec;

const std::string kRefused = "error\nセカンダリバッファー作成失敗";

WavSpec shortSound() {
    WavSpec spec;
    spec.samples = std::string(800, '\x90');  // 0.1 s of 8-bit mono at 8000 Hz
    return spec;
}

class SoundLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        platform::setHeadlessInput({});
    }
    void TearDown() override {
        sound_.stop();
        platform::selectBackend(platform::Backend::Sdl);
    }

    void init(const char* driver = "dummy", const char* diskFile = nullptr) {
        ASSERT_EQ(sound_.start(driver, diskFile), S_OK);
    }

    SoundId load(const std::string& name, const std::string& image) {
        game_.write("wave/" + name, image);
        return SoundLoad(GamePath{game_.path(), "wave\\" + name});
    }
    SoundId load(const std::string& name, const WavSpec& spec) {
        return load(name, test::buildWav(spec));
    }

    static std::vector<std::string> messages() { return platform::headlessMessageLog(); }

    test::ScopedSound sound_;
    test::TempFolder game_;
};

TEST_F(SoundLayerTest, IdsCountFromOneSkipFailuresAndAreNeverReused) {
    init();
    EXPECT_EQ(load("a.wav", shortSound()), 1);
    EXPECT_EQ(SoundLoad(GamePath{game_.path(), "wave\\missing.wav"}), -1);
    EXPECT_EQ(load("bad.wav", "RIFF but not a WAV file at all, in any way"), -1);
    WavSpec partFrame;  // three bytes of a four-byte frame, and no data at all
    partFrame.channels = 2;
    partFrame.bits = 16;
    partFrame.samples = "abc";
    EXPECT_EQ(load("part.wav", partFrame), -1);
    partFrame.samples.clear();
    EXPECT_EQ(load("empty.wav", partFrame), -1);
    EXPECT_EQ(load("b.wav", shortSound()), 2);
    EXPECT_EQ(SoundRelease(1), S_OK);
    EXPECT_EQ(load("c.wav", shortSound()), 3);
    EXPECT_TRUE(messages().empty()) << "missing and malformed files are not reported";

    // Ids never issued, failed, or released fail without any effect.
    for (const SoundId absent : {0, -1, 1, 99}) {
        EXPECT_EQ(SoundPlay(absent, 1), E_FAIL) << absent;
        EXPECT_EQ(SoundStop(absent), E_FAIL) << absent;
        EXPECT_EQ(SoundRelease(absent), E_FAIL) << absent;
        EXPECT_EQ(SoundLength(absent), 0.0) << absent;
    }
    EXPECT_EQ(SoundPlay(3, 0), S_OK);

    // A new run numbers afresh.
    SoundShutdown();
    ASSERT_EQ(SoundInit(1, platform::systemClock()), S_OK);
    EXPECT_EQ(load("a.wav", shortSound()), 1);
}

TEST_F(SoundLayerTest, LengthIsTheHeadersDataLengthOverItsByteRate) {
    init();
    WavSpec second;
    second.rate = 44100;
    second.bits = 16;
    second.samples = std::string(88200, '\0');
    EXPECT_DOUBLE_EQ(SoundLength(load("second.wav", second)), 1.0);

    // The byte rate decides, even when it does not match the sample rate.
    WavSpec odd = shortSound();
    odd.avgBytesPerSec = 400;
    EXPECT_DOUBLE_EQ(SoundLength(load("odd.wav", odd)), 2.0);

    // A truncated recording plays what is there.
    WavSpec cut = shortSound();
    cut.dataLength = 100000;
    EXPECT_DOUBLE_EQ(SoundLength(load("cut.wav", cut)), 0.1);
}

TEST_F(SoundLayerTest, FormatsTheOutputCannotTakeAreReportedAndUseNoId) {
    init();
    const auto refused = [](void (*change)(WavSpec&)) {
        WavSpec spec = shortSound();
        change(spec);
        return spec;
    };
    const WavSpec cases[] = {
        refused([](WavSpec& s) { s.channels = 0; }),
        refused([](WavSpec& s) { s.channels = 9; }),
        refused([](WavSpec& s) { s.bits = 12; }),
        refused([](WavSpec& s) {
            s.rate = 0;
            s.avgBytesPerSec = 8000;
        }),
        refused([](WavSpec& s) { s.blockAlign = 0; }),
        refused([](WavSpec& s) { s.blockAlign = 3; }),
        refused([](WavSpec& s) { s.avgBytesPerSec = 0; }),
        refused([](WavSpec& s) { s.rate = 50; }),
    };
    int n = 0;
    for (const WavSpec& spec : cases) {
        EXPECT_EQ(load("refused" + std::to_string(n++) + ".wav", spec), -1) << n;
    }
    EXPECT_EQ(messages(), std::vector<std::string>(std::size(cases), kRefused));
    EXPECT_EQ(load("fine.wav", shortSound()), 1);
}

TEST_F(SoundLayerTest, InitNeedsTheMainWindow) {
    EXPECT_EQ(SoundInit(0, platform::systemClock()), E_FAIL);
}

TEST_F(SoundLayerTest, WithoutAnyOutputThePlayerGoesOnSilently) {
    ::testing::internal::CaptureStderr();
    init("no-such-driver");
    const std::string warning = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("playing without sound"), std::string::npos) << warning;
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;

    const SoundId id = load("a.wav", shortSound());
    EXPECT_EQ(id, 1);
    EXPECT_DOUBLE_EQ(SoundLength(id), 0.1);
    EXPECT_EQ(SoundPlay(id, 1), S_OK);
    EXPECT_EQ(SoundStop(id), S_OK);
    EXPECT_EQ(SoundRelease(id), S_OK);
}

// Reads 16-bit stereo frames written by SDL's disk driver.
std::vector<std::int16_t> readCapture(const std::string& file) {
    const std::string bytes = test::readBytes(file);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST_F(SoundLayerTest, ReleaseAndShutdownSilenceWhatPlays) {
    const std::string file = (game_.path() / "capture.raw").string();
    init("disk", file.c_str());
    const SoundId tone =
        load("tone.wav", test::outputFormatWav(test::constantStereo16(4800, 1000, -1000)));
    const SoundId other =
        load("other.wav", test::outputFormatWav(test::constantStereo16(4800, 20, 20)));
    ASSERT_EQ(tone, 1);
    ASSERT_EQ(other, 2);
    ASSERT_EQ(SoundPlay(tone, 1), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(SoundRelease(tone), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(SoundPlay(other, 1), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    SoundShutdown();
    EXPECT_EQ(SoundPlay(other, 1), E_FAIL);
    EXPECT_EQ(SoundLength(other), 0.0);

    // The capture: silence, the looping tone without a gap, silence from its release on, the
    // other sound, and nothing after the device was closed.
    const std::vector<std::int16_t> samples = readCapture(file);
    const std::size_t frames = samples.size() / 2;
    std::size_t i = 0;
    while (i < frames && samples[2 * i] == 0) {
        ++i;
    }
    const std::size_t toneStart = i;
    while (i < frames && samples[2 * i] == 1000 && samples[2 * i + 1] == -1000) {
        ++i;
    }
    const std::size_t toneEnd = i;
    while (i < frames && samples[2 * i] == 0 && samples[2 * i + 1] == 0) {
        ++i;
    }
    const std::size_t silenceEnd = i;
    while (i < frames && samples[2 * i] == 20 && samples[2 * i + 1] == 20) {
        ++i;
    }
    EXPECT_EQ(i, frames) << "unexpected sample at frame " << i;
    EXPECT_GT(toneEnd - toneStart, 4800u + 48u * 50) << "the loop went round";
    EXPECT_GT(silenceEnd - toneEnd, 48u * 50) << "silent from the release on";
    EXPECT_GT(frames - silenceEnd, 48u * 50);
}

// A long sound is read while it already plays: every frame is heard, in order, and releasing it
// or shutting down while it is still being read is safe.
std::vector<std::int16_t> mixedOnClock;
void keepMix(const std::int16_t* frames, int count, std::uint32_t) {
    mixedOnClock.insert(mixedOnClock.end(), frames, frames + std::size_t(count) * 2);
}
test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeMs = fakeClock.now;

TEST_F(SoundLayerTest, LongSoundsPlayWholeWhileTheyAreRead) {
    SoundUseOutputDevice(false);  // the test mixes on its own clock
    init();
    SoundUseOutputDevice(true);
    constexpr std::uint32_t kFrames = 48000 * 8;  // beyond what a load reads at once
    const auto left = [](std::uint32_t i) { return static_cast<std::int16_t>(i % 30011 - 15000); };
    const auto right = [](std::uint32_t i) { return static_cast<std::int16_t>(i % 7919); };
    const std::string image = test::outputFormatWav(test::stereo16(kFrames, left, right));
    const SoundId id = load("long.wav", image);
    ASSERT_GT(id, 0);
    EXPECT_GT(load("released.wav", image), 0);
    EXPECT_EQ(SoundRelease(id + 1), S_OK);  // most likely still being read

    setMixerClock(&fakeClock);
    mixedOnClock.clear();
    setMixTap(keepMix);
    attachMixerToClock(fakeMs);
    ASSERT_EQ(SoundPlay(id, 0), S_OK);
    for (std::uint32_t ms = 0; ms < 8000; ms += 10) {
        fakeMs += 10;
        mixDueFrames();
        // The clock runs ahead of the loader by no more than the real time between passes.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    setMixTap(nullptr);
    setMixerOutputAttached(false);
    setMixerClock(nullptr);
    ASSERT_EQ(mixedOnClock.size(), std::size_t{kFrames} * 2);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        ASSERT_EQ(mixedOnClock[2 * i], left(i)) << "frame " << i;
        ASSERT_EQ(mixedOnClock[2 * i + 1], right(i)) << "frame " << i;
    }
    EXPECT_GT(load("again.wav", image), 0);  // shut down by the fixture while being read
}

}  // namespace
}  // namespace tsuzuri
