// The mixer's voices: what they play, judged by the mixed samples, and how their states follow
// the clock when no device pulls them.
#include "sound/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tsuzuri {
namespace {

std::uint32_t fakeNow = 0;
std::uint32_t fakeClock() {
    return fakeNow;
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
    voice->samples.assign(std::size_t{frames} * 2, value);
    return voice;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 1000;
        setMixerClock(fakeClock);
        setMixerOutputAttached(true);  // the test pulls frames as a device would
    }
    void TearDown() override {
        for (auto& voice : voices_) {
            unhookVoice(*voice);
        }
        setMixerOutputAttached(false);
        setMixerClock(nullptr);
    }

    Voice& hook(std::unique_ptr<Voice> voice) {
        hookVoice(*voice);
        voices_.push_back(std::move(voice));
        return *voices_.back();
    }

    // Mixes `frames` frames and answers the left channel.
    static std::vector<int> mixLeft(int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 12345);
        mixVoices(out.data(), frames);
        std::vector<int> left;
        for (int i = 0; i < frames; ++i) {
            left.push_back(out[2 * i]);
            EXPECT_EQ(out[2 * i + 1], -out[2 * i]) << "frame " << i;
        }
        return left;
    }

    static std::vector<int> range(int from, int to) {
        std::vector<int> values;
        for (int v = from; v <= to; ++v) {
            values.push_back(v);
        }
        return values;
    }

    static std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

private:
    std::vector<std::unique_ptr<Voice>> voices_;
};

TEST_F(MixerTest, OneShotPlaysToItsEndAndThenAgainFromItsStart) {
    Voice& voice = hook(countingVoice(100));
    EXPECT_EQ(mixLeft(10), std::vector<int>(10, 0)) << "a hooked voice is silent until played";
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(60), range(1, 60));
    EXPECT_EQ(mixLeft(60), concat(range(61, 100), std::vector<int>(20, 0)));
    EXPECT_FALSE(voiceStateNow(voice).playing);
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(10), range(1, 10));
}

TEST_F(MixerTest, StopHoldsThePlaceAndPlayResumesFromIt) {
    Voice& voice = hook(countingVoice(100));
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(30), range(1, 30));
    stopVoice(voice);
    EXPECT_EQ(mixLeft(20), std::vector<int>(20, 0));
    stopVoice(voice);  // stopping a stopped voice changes nothing
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(10), range(31, 40));
    // Playing a playing voice keeps it going where it is.
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(10), range(41, 50));
}

TEST_F(MixerTest, LoopingRepeatsUntilStoppedAndCanFinishAsOneShot) {
    Voice& voice = hook(countingVoice(100));
    playVoice(voice, true);
    EXPECT_EQ(mixLeft(250), concat(concat(range(1, 100), range(1, 100)), range(1, 50)));
    stopVoice(voice);
    EXPECT_EQ(mixLeft(5), std::vector<int>(5, 0));
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(60), concat(range(51, 100), std::vector<int>(10, 0)));
}

TEST_F(MixerTest, VoicesAddUpAndSaturate) {
    Voice& a = hook(countingVoice(10, 100));
    Voice& b = hook(countingVoice(10, 1000));
    playVoice(a, false);
    playVoice(b, false);
    std::vector<int> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back(1100 + 2 * i);
    }
    EXPECT_EQ(mixLeft(10), expected);

    Voice& loud = hook(constantVoice(4, 30000));
    Voice& louder = hook(constantVoice(4, 30000));
    playVoice(loud, false);
    playVoice(louder, false);
    std::vector<std::int16_t> out(8);
    mixVoices(out.data(), 4);
    EXPECT_EQ(out, std::vector<std::int16_t>(8, 32767));

    Voice& low = hook(constantVoice(4, -30000));
    Voice& lower = hook(constantVoice(4, -30000));
    playVoice(low, false);
    playVoice(lower, false);
    mixVoices(out.data(), 4);
    EXPECT_EQ(out, std::vector<std::int16_t>(8, -32768));
}

TEST_F(MixerTest, UnhookedVoiceFallsSilentAtOnce) {
    auto voice = countingVoice(50);
    hookVoice(*voice);
    playVoice(*voice, true);
    EXPECT_EQ(mixLeft(5), range(1, 5));
    unhookVoice(*voice);
    voice.reset();
    EXPECT_EQ(mixLeft(5), std::vector<int>(5, 0));
}

TEST_F(MixerTest, LongMixesCrossTheMixersBlocks) {
    Voice& voice = hook(countingVoice(3000));
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(2000), range(1, 2000));
}

// A one-shot has ended once its length has passed since it was played, whether or not the
// device has caught up: a repeating cue played again just after its length starts over
// instead of counting as still playing. The device plays the frames it still had first, then
// keeps the pause between the two plays.
TEST_F(MixerTest, OneShotEndsByTheClockEvenWhenTheDeviceLags) {
    Voice& voice = hook(countingVoice(480));  // 10 ms
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(100), range(1, 100));
    fakeNow += 5;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    playVoice(voice, false);  // still playing: carries on
    EXPECT_EQ(mixLeft(10), range(101, 110));

    fakeNow += 6;  // 11 ms after it was played
    EXPECT_FALSE(voiceStateNow(voice).playing);
    EXPECT_EQ(mixLeft(10), range(111, 120)) << "looking cuts nothing short";
    playVoice(voice, false);
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(mixLeft(418), concat(concat(range(121, 480), std::vector<int>(48, 0)), range(1, 10)))
        << "the rest of the last play, the 1 ms by which the new one came after its end, then "
           "the start";

    // Stopped just as such a new play was due: it stands at the start.
    fakeNow += 20;
    playVoice(voice, false);
    stopVoice(voice);
    EXPECT_EQ(mixLeft(5), std::vector<int>(5, 0));
    playVoice(voice, false);
    EXPECT_EQ(mixLeft(5), range(1, 5));
}

// A play that comes between two fills of the device starts in the next buffer at its distance
// from the fill before, rather than at the buffer's start: starts keep their spacing whatever
// the phase of the device's cycle.
TEST_F(MixerTest, PlaysBetweenFillsStartAtTheirDistanceFromTheLastFill) {
    Voice& a = hook(countingVoice(1000));
    Voice& b = hook(countingVoice(100, 2000));
    EXPECT_EQ(mixLeft(480), std::vector<int>(480, 0));  // a fill at 1000
    fakeNow = 1004;
    playVoice(a, false);
    fakeNow = 1007;
    playVoice(b, false);
    fakeNow = 1010;
    std::vector<int> expected(480, 0);
    for (int i = 192; i < 480; ++i) {
        expected[static_cast<std::size_t>(i)] += i - 192 + 1;  // a, 4 ms in
    }
    for (int i = 336; i < 436; ++i) {
        expected[static_cast<std::size_t>(i)] += 2000 + i - 336;  // b, 7 ms in
    }
    EXPECT_EQ(mixLeft(480), expected);
    EXPECT_EQ(mixLeft(10), range(289, 298)) << "once placed, a voice plays on without a gap";

    // With nothing to measure from (no fill since the output was attached) a play starts at once.
    Voice& c = hook(countingVoice(100, 5000));
    stopVoice(a);
    setMixerOutputAttached(true);
    fakeNow = 1015;
    playVoice(c, false);
    EXPECT_EQ(mixLeft(3), range(5000, 5002));
}

TEST_F(MixerTest, AGainChangeGlidesWithoutAJumpAndThenHolds) {
    Voice& tone = hook(constantVoice(1000, 20000));
    playVoice(tone, true);
    std::vector<std::int16_t> out(2 * 960);  // 20 ms
    const auto mixLeftOf = [&](std::vector<int>& left) {
        mixVoices(out.data(), 960);
        for (std::size_t i = 0; i < out.size(); i += 2) {
            left.push_back(out[i]);
        }
    };
    std::vector<int> left;
    mixLeftOf(left);
    setMixGain(50);
    mixLeftOf(left);
    setMixGain(100);
    mixLeftOf(left);
    setMixerOutputAttached(false);
    setMixGain(100);

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

TEST_F(MixerTest, ALeadInStaysWithinItsFill) {
    Voice& voice = hook(countingVoice(3000));
    mixLeft(480);
    // The device was late to ask: the play still sounds in the first fill after it, at its end.
    fakeNow = 1030;
    playVoice(voice, false);
    std::vector<int> left = mixLeft(480);
    EXPECT_EQ(std::vector<int>(left.begin(), left.end() - 1), std::vector<int>(479, 0));
    EXPECT_EQ(left.back(), 1);
    stopVoice(voice);

    // A lead-in beyond the mixer's first block of a long fill.
    Voice& other = hook(countingVoice(3000, 100));
    fakeNow = 1045;
    playVoice(other, false);
    EXPECT_EQ(mixLeft(2000), concat(std::vector<int>(720, 0), range(100, 1379)));
}

// Placed later in its buffer, a one-shot still ends by the clock, and a play that comes while
// the device has its last frames to play still follows straight on after them.
TEST_F(MixerTest, APlacedPlayEndsByTheClock) {
    Voice& voice = hook(countingVoice(480));  // 10 ms
    mixLeft(480);
    fakeNow = 1004;
    playVoice(voice, false);
    fakeNow = 1010;
    EXPECT_EQ(mixLeft(480), concat(std::vector<int>(192, 0), range(1, 288)));
    fakeNow = 1013;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    fakeNow = 1014;
    EXPECT_FALSE(voiceStateNow(voice).playing);
    playVoice(voice, false);
    fakeNow = 1020;
    EXPECT_EQ(mixLeft(480), concat(range(289, 480), range(1, 288)));

    // Stopped before the device took it up: nothing of it sounds.
    fakeNow = 1040;
    mixLeft(480);
    fakeNow = 1042;
    playVoice(voice, false);
    stopVoice(voice);
    fakeNow = 1050;
    EXPECT_EQ(mixLeft(480), std::vector<int>(480, 0));
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
    playVoice(voice, false);
    fakeNow += 250;
    EXPECT_EQ(voiceStateNow(voice).position, 12000u);
    stopVoice(voice);
    fakeNow += 5000;
    EXPECT_EQ(voiceStateNow(voice).position, 12000u) << "a stopped voice stays where it is";
    playVoice(voice, false);
    fakeNow += 749;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 47952u);
    fakeNow += 1;
    EXPECT_FALSE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 0u);

    playVoice(voice, true);
    fakeNow += 2500;
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 24000u);

    std::vector<std::int16_t> out(20, 7);
    mixVoices(out.data(), 10);
    EXPECT_EQ(out, std::vector<std::int16_t>(20, 0)) << "nothing is mixed without a device";
    EXPECT_EQ(voiceStateNow(voice).position, 24000u);
}

TEST_F(SilentMixerTest, TheClockWrappingAroundKeepsTheTiming) {
    Voice& voice = hook(countingVoice(4800));  // 100 ms
    fakeNow = 0xFFFFFFF0u;
    playVoice(voice, false);
    fakeNow += 50;  // wraps
    EXPECT_TRUE(voiceStateNow(voice).playing);
    EXPECT_EQ(voiceStateNow(voice).position, 2400u);
    fakeNow += 50;
    EXPECT_FALSE(voiceStateNow(voice).playing);
}

// Mixed on the clock (for a recording without a device), every frame is mixed once, in order,
// and a play lands exactly at its clock time, however the mixes fall.
std::vector<std::int16_t> clockMix;
std::vector<std::uint32_t> clockMixStarts;
void keepClockMix(const std::int16_t* frames, int frameCount, std::uint32_t startMs) {
    clockMix.insert(clockMix.end(), frames, frames + std::size_t(frameCount) * 2);
    clockMixStarts.push_back(startMs);
}

TEST_F(SilentMixerTest, OnTheClockEveryFrameIsMixedOnceAndPlaysLandAtTheirTime) {
    Voice& voice = hook(constantVoice(480, 1000));  // 10 ms
    clockMix.clear();
    clockMixStarts.clear();
    setMixTap(keepClockMix);
    attachMixerToClock(fakeNow);
    fakeNow += 7;
    mixDueFrames();
    fakeNow += 3;
    playVoice(voice, false);  // at 10 ms
    fakeNow += 23;
    mixDueFrames();
    mixDueFrames();  // nothing more is due
    fakeNow += 1;
    playVoice(voice, false);  // at 34 ms, between two mixes: it has ended by then
    fakeNow += 100;
    mixDueFrames();
    setMixTap(nullptr);

    ASSERT_EQ(clockMix.size(), 134u * 48 * 2) << "134 ms mixed";
    EXPECT_EQ(clockMixStarts, (std::vector<std::uint32_t>{1000, 1007, 1033}));
    std::vector<int> sounding;
    for (std::size_t frame = 0; frame < clockMix.size() / 2; ++frame) {
        if (clockMix[frame * 2] != 0) {
            sounding.push_back(static_cast<int>(frame));
        }
    }
    ASSERT_EQ(sounding.size(), 960u);
    EXPECT_EQ(sounding.front(), 480);
    EXPECT_EQ(sounding[479], 959);
    EXPECT_EQ(sounding[480], 34 * 48);
}

}  // namespace
}  // namespace tsuzuri
