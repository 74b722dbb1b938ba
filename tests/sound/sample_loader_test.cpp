// A long voice read as it plays: every frame reaches the mix in order, through a stream window
// far smaller than the voice, and a loop comes back to its start and streams on again.
#include "sound/sample_loader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "common/file_buffer.h"
#include "sound/mixer.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

constexpr std::uint32_t kFrames = 90'000;      // about 1.9 s at 48 kHz
constexpr std::uint32_t kHeldFrames = 6'000;   // the head
constexpr std::uint32_t kRingFrames = 16'384;  // the window: a fifth of the voice
constexpr int kStepFrames = 480;               // 10 ms

// The left sample of frame i; the right one is its negative.
std::int16_t valueOf(std::uint32_t i) {
    return static_cast<std::int16_t>(i % 30'000 + 1);
}

test::FakeClock fakeClock;
std::vector<std::int16_t> tapped;
void keepMix(const std::int16_t* frames, int frameCount, std::uint32_t) {
    tapped.insert(tapped.end(), frames, frames + std::size_t(frameCount) * 2);
}

// Waits (up to 10 s, however busy the machine) until frames [from, from + count) of the voice
// can be mixed.
bool waitForFrames(const Voice& voice, std::uint32_t from, std::uint32_t count) {
    for (int i = 0; i < 10'000; ++i) {
        const FrameSnapshot frames(voice.samples, voice.loadedFrames.load(), voice.stream);
        if (frames.at(from % kFrames) != nullptr &&
            frames.at((from + count - 1) % kFrames) != nullptr) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST(SampleLoaderTest, ALongVoiceStreamsEveryFrameInOrderAndLoopsBackToItsStart) {
    std::string samples;
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        samples += test::le16(static_cast<std::uint16_t>(valueOf(i)));
        samples += test::le16(static_cast<std::uint16_t>(-valueOf(i)));
    }
    test::WavSpec spec;
    spec.channels = 2;
    spec.rate = 48'000;
    spec.bits = 16;
    spec.samples = samples;
    test::TempFolder folder;
    folder.write("long.wav", test::buildWav(spec));
    OpenFile file;
    ASSERT_TRUE(openGameFile(file, GamePath{folder.path(), "long.wav"}));
    const platform::PcmFormat format{2, 48'000, 4, 16};

    auto voice = std::make_unique<Voice>();
    voice->frameCount = kFrames;
    voice->samples.resize(std::size_t{kHeldFrames} * 2);
    voice->stream.ring.resize(std::size_t{kRingFrames} * 2);
    voice->stream.ringFrames = kRingFrames;
    voice->stream.window.store(VoiceStream::pack(kHeldFrames, kHeldFrames));
    voice->loadedFrames.store(0);
    ASSERT_TRUE(readSampleFrames(*voice, file, 44, format, kHeldFrames));
    queueSampleLoad(*voice, std::move(file), 44, format, kFrames);

    fakeClock.now = 1000;
    setMixerClock(&fakeClock);
    tapped.clear();
    setMixTap(keepMix);
    attachMixerToClock(fakeClock.now);
    hookVoice(*voice);
    playVoice(*voice, true, fakeClock.now);

    // Two and a half times through: the window is refilled about fourteen times.
    std::uint32_t mixed = 0;
    while (mixed < kFrames * 5 / 2) {
        ASSERT_TRUE(waitForFrames(*voice, mixed, kStepFrames)) << "frame " << mixed;
        fakeClock.now += kStepFrames / 48;
        mixDueFrames();
        mixed += kStepFrames;
    }
    ASSERT_EQ(tapped.size(), std::size_t{mixed} * 2);
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < mixed; ++i) {
        wrong += tapped[std::size_t{i} * 2] != valueOf(i % kFrames);
    }
    EXPECT_EQ(wrong, 0u) << "of " << mixed << " frames";

    cancelSampleLoad(*voice);
    stopSampleLoader();
    setMixTap(nullptr);
    retireVoice(std::move(voice), fakeClock.now);
    setMixerOutputAttached(false);
    reapVoices(true);
    setMixerClock(nullptr);
}

}  // namespace
}  // namespace tsuzuri
