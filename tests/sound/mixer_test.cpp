// The mixer's voices: what they play, judged by the mixed samples, where each start and stop
// lands in the mix for the time it is due, and how their states follow the clock when no
// device pulls them.
#include "sound/mixer.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>
#include <atomic>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tsuzuri {
namespace {

constexpr int kFramesPerMs = 48;

test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeNow = fakeClock.now;

std::vector<std::int16_t> tapped;
std::vector<std::uint32_t> tappedStarts;
void keepMix(const std::int16_t* frames, int frameCount, std::uint32_t startMs) {
    tapped.insert(tapped.end(), frames, frames + std::size_t(frameCount) * 2);
    tappedStarts.push_back(startMs);
}

// A voice of `frames` frames; frame i holds (base + i, -(base + i)).
std::unique_ptr<Voice> countingVoice(std::uint32_t frames, std::int16_t base = 1) {
    auto voice = std::make_unique<Voice>();
    voice->frameCount = frames;
    for (std::uint32_t i = 0; i < frames; ++i) {
        voice->samples.push_back(static_cast<std::int16_t>(base + i));
        voice->samples.push_back(static_cast<std::int16_t>(-(base + static_cast<int>(i))));
    }
    return voice;
}

std::unique_ptr<Voice> constantVoice(std::uint32_t frames, std::int16_t value) {
    auto voice = std::make_unique<Voice>();
    voice->frameCount = frames;
    for (std::uint32_t i = 0; i < frames; ++i) {
        voice->samples.push_back(value);
        voice->samples.push_back(static_cast<std::int16_t>(-value));
    }
    return voice;
}

std::vector<int> range(int from, int to) {
    std::vector<int> values;
    for (int v = from; v <= to; ++v) {
        values.push_back(v);
    }
    return values;
}

std::vector<int> zeros(int count) {
    return std::vector<int>(static_cast<std::size_t>(count), 0);
}

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The mix made on the clock from 1000 ms on (as for a recording): frame f of the mix stands
// for clock time 1000 + f / 48 ms.
class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 1000;
        setMixerClock(&fakeClock);
        tapped.clear();
        tappedStarts.clear();
        setMixTap(keepMix);
        attachMixerToClock(fakeNow);
    }
    void TearDown() override {
        setMixTap(nullptr);
        for (Voice* voice : voices_) {
            retireVoice(std::unique_ptr<Voice>(voice), fakeNow);
        }
        setMixerOutputAttached(false);
        setMixGain(100);
        reapVoices(true);
        setMixerClock(nullptr);
    }

    Voice& hook(std::unique_ptr<Voice> voice) {
        hookVoice(*voice);
        voices_.push_back(voice.release());
        return *voices_.back();
    }

    void retire(Voice& voice, std::uint32_t dueMs) {
        std::erase(voices_, &voice);
        retireVoice(std::unique_ptr<Voice>(&voice), dueMs);
    }

    // Moves the clock on by `ms`, mixes what has come due and answers its left channel.
    static std::vector<int> mixMs(std::uint32_t ms) {
        const std::size_t from = tapped.size();
        fakeNow += ms;
        mixDueFrames();
        std::vector<int> left;
        for (std::size_t i = from; i < tapped.size(); i += 2) {
            left.push_back(tapped[i]);
            EXPECT_LE(std::abs(tapped[i + 1] + tapped[i]), 1) << "frame " << (i - from) / 2;
        }
        return left;
    }

private:
    std::vector<Voice*> voices_;
};

TEST_F(MixerTest, EachStartAndStopLandsOnTheFrameOfItsTime) {
    Voice& a = hook(countingVoice(480));        // 10 ms
    Voice& b = hook(countingVoice(480, 2000));  // 10 ms
    EXPECT_EQ(mixMs(2), zeros(2 * kFramesPerMs)) << "a hooked voice is silent until played";
    playVoice(a, false, 1004);  // ahead of its time
    fakeNow = 1006;
    playVoice(b, false, 1004);          // after its time, before it was mixed: still together
    std::vector<int> left = mixMs(10);  // 1002 to 1016
    std::vector<int> expected = zeros(2 * kFramesPerMs);
    for (int i = 0; i < 480; ++i) {
        expected.push_back(1 + i + 2000 + i);
    }
    EXPECT_EQ(std::vector<int>(left.begin(), left.begin() + 96 + 480), expected);

    // A start whose time was mixed already (a ended at 1014) begins on the first frame not
    // yet mixed.
    playVoice(a, false, 1015);
    EXPECT_EQ(mixMs(1), range(1, 48));
    // A stop lands on its frame: 2 ms into the next mix.
    stopVoice(a, 1019);
    EXPECT_EQ(mixMs(4), concat(range(49, 144), zeros(96)));
}

TEST_F(MixerTest, OneShotsRepeatLoopsWrapAndStopsHoldThePlace) {
    Voice& voice = hook(countingVoice(144));  // 3 ms
    playVoice(voice, false, fakeNow);
    EXPECT_EQ(mixMs(4), concat(range(1, 144), zeros(48)));
    EXPECT_FALSE(voiceStateNow(voice).playing);
    playVoice(voice, false, fakeNow);  // played to its end: again from its start
    EXPECT_EQ(mixMs(1), range(1, 48));
    stopVoice(voice, fakeNow);
    EXPECT_EQ(mixMs(1), zeros(48));
    EXPECT_EQ(voiceStateNow(voice).position, 48u);
    playVoice(voice, false, fakeNow);  // resumes where it stopped
    playVoice(voice, false, fakeNow);  // a playing voice carries on
    EXPECT_EQ(mixMs(3), concat(range(49, 144), zeros(48)));

    playVoice(voice, true, fakeNow);
    EXPECT_EQ(mixMs(7), concat(concat(range(1, 144), range(1, 144)), range(1, 48)));
    playVoice(voice, false, fakeNow);  // from looping to once: it ends at its end
    EXPECT_EQ(mixMs(3), concat(range(49, 144), zeros(48)));
}

// A repeat whose period was cut to whole milliseconds comes due a moment before the voice's
// end: it starts again straight after the end, neither cutting it short nor being lost.
TEST_F(MixerTest, APlayDueJustBeforeTheEndFollowsStraightOn) {
    Voice& voice = hook(countingVoice(100));  // 2.08 ms
    playVoice(voice, false, fakeNow);
    playVoice(voice, false, fakeNow + 2);
    EXPECT_EQ(mixMs(5), concat(concat(range(1, 100), range(1, 100)), zeros(40)));
}

TEST_F(MixerTest, VoicesAddUpAndSaturate) {
    Voice& a = hook(countingVoice(48, 100));
    Voice& b = hook(countingVoice(48, 1000));
    playVoice(a, false, fakeNow);
    playVoice(b, false, fakeNow);
    std::vector<int> expected;
    for (int i = 0; i < 48; ++i) {
        expected.push_back(1100 + 2 * i);
    }
    EXPECT_EQ(mixMs(1), expected);

    for (std::int16_t level : {30000, -30000}) {  // the right channel saturates the other way
        Voice& loud = hook(constantVoice(48, level));
        Voice& louder = hook(constantVoice(48, level));
        playVoice(loud, false, fakeNow);
        playVoice(louder, false, fakeNow);
        EXPECT_EQ(mixMs(1), std::vector<int>(48, level > 0 ? 32767 : -32768));
    }
}

TEST_F(MixerTest, ARetiredVoiceFallsSilentOnItsFrameAndIsFreedOnceMixedPast) {
    Voice& voice = hook(countingVoice(4800));
    Voice& other = hook(countingVoice(480, 5000));
    playVoice(voice, true, fakeNow);
    EXPECT_EQ(mixMs(1), range(1, 48));
    retire(voice, 1002);
    // The music that replaces it starts on the sample where the old one stops.
    playVoice(other, false, 1002);
    EXPECT_EQ(mixMs(2), concat(range(49, 96), range(5000, 5047)));
    reapVoices();
    EXPECT_FALSE(voiceStateNow(other).looping);
}

TEST_F(MixerTest, AGainChangeGlidesWithoutAJumpAndThenHolds) {
    Voice& tone = hook(constantVoice(1000, 20000));
    playVoice(tone, true, fakeNow);
    std::vector<int> left = mixMs(20);
    setMixGain(50);
    const std::vector<int> half = mixMs(20);
    left.insert(left.end(), half.begin(), half.end());
    setMixGain(100);
    const std::vector<int> whole = mixMs(20);
    left.insert(left.end(), whole.begin(), whole.end());

    int largestStep = 0;
    for (std::size_t i = 1; i < left.size(); ++i) {
        largestStep = std::max(largestStep, std::abs(left[i] - left[i - 1]));
    }
    // A step of the whole change in one sample is a click; 1 % of the level is not heard.
    EXPECT_LE(largestStep, 200);
    EXPECT_EQ(left[959], 20000);
    EXPECT_EQ(left[960 + 479], 10000) << "half the level 10 ms after the change";
    EXPECT_EQ(left.back(), 20000) << "the whole level again, bit for bit";
}

TEST_F(MixerTest, OnTheClockEveryFrameIsMixedOnceWithTheTimeItStandsFor) {
    Voice& voice = hook(constantVoice(480, 1000));  // 10 ms
    fakeNow += 7;
    mixDueFrames();
    playVoice(voice, false, 1010);
    fakeNow += 26;
    mixDueFrames();
    mixDueFrames();                 // nothing more is due
    playVoice(voice, false, 1034);  // between two mixes: it has ended by then
    fakeNow += 100;
    mixDueFrames();

    ASSERT_EQ(tapped.size(), 133u * kFramesPerMs * 2) << "133 ms mixed";
    EXPECT_EQ(tappedStarts, (std::vector<std::uint32_t>{1000, 1007, 1033}));
    std::vector<int> sounding;
    for (std::size_t frame = 0; frame < tapped.size() / 2; ++frame) {
        if (tapped[frame * 2] != 0) {
            sounding.push_back(static_cast<int>(frame));
        }
    }
    ASSERT_EQ(sounding.size(), 960u);
    EXPECT_EQ(sounding.front(), 480);
    EXPECT_EQ(sounding[479], 959);
    EXPECT_EQ(sounding[480], 34 * kFramesPerMs);
}

// With a device, each fill stands for the clock time kMixDelayMs before its request: starts
// keep their distances to the frame whatever the phase of the device's requests, and after a
// stall the mix takes up the clock again.
TEST_F(MixerTest, ADevicesFillsStandForTheClockADelayBefore) {
    setMixerOutputAttached(true);
    Voice& a = hook(countingVoice(2000));
    Voice& b = hook(countingVoice(100, 20000));
    std::vector<std::int16_t> out(2 * 480);
    std::vector<int> left;
    const auto fill = [&] {
        mixVoices(out.data(), 480);
        for (std::size_t i = 0; i < out.size(); i += 2) {
            left.push_back(out[i]);
        }
        fakeNow += 10;
    };
    fill();  // stands for 1000 - delay
    playVoice(a, false, fakeNow + 3);
    fakeNow += 4;  // requests come off the 10 ms beat
    playVoice(b, false, fakeNow + 1);
    fill();
    fakeNow -= 4;
    for (int i = 0; i < 4; ++i) {
        fill();
    }
    const auto onset = [&left](int above) {
        return std::find_if(left.begin(), left.end(), [above](int v) { return v >= above; }) -
               left.begin();
    };
    // The request that came 4 ms off the beat moves the time the fills stand for by 1/32 of
    // that: a few frames.
    const std::ptrdiff_t aAt = onset(1);
    EXPECT_NEAR(onset(20000) - aAt, 2 * kFramesPerMs, 1) << "b was due 2 ms after a";
    EXPECT_NEAR(aAt, (13 + kMixDelayMs) * kFramesPerMs, 8)
        << "a was due 13 ms after the first fill's request";

    // The device stalls for 200 ms: its next fill stands for its own time again.
    fakeNow += 200;
    left.clear();
    playVoice(b, false, fakeNow - kMixDelayMs + 5);
    fill();
    EXPECT_EQ(onset(20000), 5 * kFramesPerMs);
}

class SilentMixerTest : public MixerTest {
protected:
    void SetUp() override {
        MixerTest::SetUp();
        setMixerOutputAttached(false);
    }
};

// Without a device the clock moves the voices exactly as if they were heard.
TEST_F(SilentMixerTest, StatesFollowTheClock) {
    Voice& voice = hook(countingVoice(48000));  // one second
    playVoice(voice, false, fakeNow);
    fakeNow += 250;
    EXPECT_EQ(voiceStateNow(voice).position, 12000u);
    stopVoice(voice, fakeNow);
    fakeNow += 5000;
    EXPECT_EQ(voiceStateNow(voice).position, 12000u) << "a stopped voice stays where it is";
    playVoice(voice, false, fakeNow);
    fakeNow += 749;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 47952u);
    fakeNow += 1;
    EXPECT_FALSE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 0u);

    playVoice(voice, true, fakeNow);
    fakeNow += 2500;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 24000u);

    std::vector<std::int16_t> out(20, 7);
    mixVoices(out.data(), 10);
    EXPECT_EQ(out, std::vector<std::int16_t>(20, 0)) << "nothing is mixed without a device";
    EXPECT_EQ(voiceStateNow(voice).position, 24000u);

    // A start due later counts as started, and stands at its start until then.
    playVoice(voice, false, fakeNow + 40);
    EXPECT_TRUE(voiceStateNow(voice).playing);
}

TEST_F(SilentMixerTest, TheClockWrappingAroundKeepsTheTiming) {
    Voice& voice = hook(countingVoice(4800));  // 100 ms
    fakeNow = 0xFFFFFFF0u;
    playVoice(voice, false, fakeNow);
    fakeNow += 50;  // wraps
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 2400u);
    fakeNow += 50;
    EXPECT_FALSE(voiceStateNow(voice).playing);
}

}  // namespace
}  // namespace tsuzuri
