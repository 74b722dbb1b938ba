// Wao sequence files into cue tracks: offsets from the sounds' lengths and the wait lines, the
// clamps on going back in time, and what is ignored.
#include "script_engine/wao_sequence.h"

#include <gtest/gtest.h>

#include <utility>

#include "app/cue_worker.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "sound/sound_layer.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

// A cue as offset and the length of its sound, which tells the sounds apart.
using CueView = std::pair<std::uint32_t, double>;

// 8-bit mono at 8000 Hz: the length in seconds is the byte count / 8000.
std::string soundOfBytes(std::size_t bytes) {
    test::WavSpec spec;
    spec.samples = std::string(bytes, '\x90');
    return test::buildWav(spec);
}

class WaoSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sound_.start("dummy"), S_OK);
        game_.write("wave/a.wav", soundOfBytes(16000));     // 2.0 s
        game_.write("wave/b.wav", soundOfBytes(8000));      // 1.0 s
        game_.write("wave/c.wav", soundOfBytes(4000));      // 0.5 s
        game_.write("wave/third.wav", soundOfBytes(2667));  // 0.333375 s
    }
    void TearDown() override {
        clearCueTrack(0);
        clearCueTrack(1);
        cueTracks[0] = CueTrack{};
        cueTracks[1] = CueTrack{};
        sound_.stop();
    }

    // Writes the sequence (lines joined by CR LF) and loads it into the track.
    Status load(const std::vector<std::string>& lines, std::int32_t track = 0) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\r\n";
        }
        game_.write("wave/seq.wao", text);
        return loadCueTrack(GamePath{game_.path(), "wave\\seq.wao"}, track);
    }

    static std::vector<CueView> cues(std::int32_t track = 0) {
        std::vector<CueView> views;
        for (const auto& cue : cueTracks[track].cues) {
            views.emplace_back(cue->offsetMs, SoundLength(cue->soundId));
        }
        return views;
    }

    test::ScopedSound sound_;
    test::TempFolder game_;
};

TEST_F(WaoSequenceTest, WaitsMoveTheNextSoundAndNegativeOnesAreClamped) {
    ASSERT_EQ(load({"title", "a.wav", "* 0.5秒ウェイト", "b.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {2500, 1.0}}));
    EXPECT_EQ(cueTracks[0].periodMs, 3500u);

    ASSERT_EQ(load({"title", "a.wav", "* -0.5秒ウェイト", "b.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {1500, 1.0}}));
    EXPECT_EQ(cueTracks[0].periodMs, 2500u);

    // Back at most to the start of the latest sound; equal offsets keep the file's order.
    ASSERT_EQ(load({"title", "a.wav", "* -3.0秒ウェイト", "b.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {0, 1.0}}));
    EXPECT_EQ(cueTracks[0].periodMs, 2000u);

    // Before any sound there is nothing to go back into.
    ASSERT_EQ(load({"title", "* -1", "b.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 1.0}}));
    EXPECT_EQ(cueTracks[0].periodMs, 1000u);
}

TEST_F(WaoSequenceTest, RepeatedNegativeWaitsGoBackFurtherButNeverBeforeTheStart) {
    // Each wait is clamped against the same latest sound, so together they reach before it.
    ASSERT_EQ(load({"title", "a.wav", "b.wav", "* -1", "* -1", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {1000, 0.5}, {2000, 1.0}}));
    EXPECT_EQ(cueTracks[0].periodMs, 3000u);

    // The cursor stops at 0 instead of wrapping to an offset some 49 days away.
    ASSERT_EQ(load({"title", "b.wav", "* -1", "* -1", "* -1", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 1.0}, {0, 0.5}}));
    EXPECT_EQ(cueTracks[0].periodMs, 1000u);
}

TEST_F(WaoSequenceTest, WaitNumbersAreReadAsScanfReadsThemAndOddOnesWaitNothing) {
    ASSERT_EQ(
        load({"title", "*0.25", "c.wav", "*   +0.25 seconds", "c.wav", "*1e-1\x95\x62", "c.wav"}),
        S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{250, 0.5}, {1000, 0.5}, {1600, 0.5}}));

    // Unreadable, infinite and not-a-number waits count as 0 (not as the previous wait).
    ASSERT_EQ(load({"title", "* 0.5", "c.wav", "*", "c.wav", "* abc", "c.wav", "* inf", "c.wav",
                    "* -infinity", "c.wav", "* nan", "c.wav", "*1e999", "c.wav"}),
              S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{500, 0.5},
                                            {1000, 0.5},
                                            {1500, 0.5},
                                            {2000, 0.5},
                                            {2500, 0.5},
                                            {3000, 0.5},
                                            {3500, 0.5}}));

    // A finite but enormous wait puts what follows at the last millisecond 32 bits can count.
    ASSERT_EQ(load({"title", "c.wav", "* 1e300", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.5}, {0xFFFFFFFFu, 0.5}}));
    EXPECT_EQ(cueTracks[0].periodMs, 0xFFFFFFFFu);
}

TEST_F(WaoSequenceTest, OffsetsAreTruncatedToMillisecondsAndSorted) {
    ASSERT_EQ(load({"title", "third.wav", "third.wav", "* 0.0009", "third.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.333375}, {333, 0.333375}, {667, 0.333375}}));
    EXPECT_EQ(cueTracks[0].periodMs, 1001u);

    // A wait back past a later sound's start reorders the cues by offset.
    ASSERT_EQ(load({"title", "a.wav", "b.wav", "* -1", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {2000, 1.0}, {2000, 0.5}}));
    ASSERT_EQ(load({"title", "a.wav", "b.wav", "* -1", "* -0.5", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 2.0}, {1500, 0.5}, {2000, 1.0}}));
}

TEST_F(WaoSequenceTest, TitleCommentsAndOtherLinesAreIgnored) {
    ASSERT_EQ(load({"a.wav"}), S_OK);
    EXPECT_TRUE(cues().empty()) << "the first line is a title, even when it names a sound";
    EXPECT_EQ(cueTracks[0].periodMs, 0u);

    ASSERT_EQ(load({"* 5", "// comment", "A.WAV", "b.WAV", "b.wav ", "", "", "c.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.5}}));

    // Lines end at CR LF or LF CR; a line ends at its first NUL byte.
    using namespace std::string_literals;
    game_.write("wave/seq.wao", "t\n\rc.wav\n\rb.wav\0junk\r\n* 1\r\nc.wav"s);
    ASSERT_EQ(loadCueTrack(GamePath{game_.path(), "wave\\seq.wao"}, 0), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.5}, {500, 1.0}, {2500, 0.5}}));
}

TEST_F(WaoSequenceTest, SoundsThatCannotLoadAreLeftOutAndEachLineGetsItsOwnSound) {
    game_.write("wave/broken.wav", "not a wav file");
    ASSERT_EQ(load({"title", "b.wav", "missing.wav", "broken.wav", "b.wav"}), S_OK);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 1.0}, {1000, 1.0}}));
    const CueTrack& track = cueTracks[0];
    EXPECT_NE(track.cues[0]->soundId, track.cues[1]->soundId);
    EXPECT_EQ(track.cues[1]->soundId, track.cues[0]->soundId + 1) << "failed loads use no id";
}

TEST_F(WaoSequenceTest, BuildingSetsTheTrackUpForANewRun) {
    CueTrack& track = cueTracks[1];
    track.nextCue = 5;
    track.startTime = 1234;
    {
        // The run is due when the story step that built it began; its first cue goes to the
        // sound layer at once.
        const SoundStep step;
        const std::uint32_t stepAt = SoundDueTime();
        ASSERT_EQ(load({"title", "a.wav"}, 1), S_OK);
        EXPECT_EQ(track.startTime, stepAt);
    }
    EXPECT_EQ(track.loops, 1);
    EXPECT_EQ(track.nextCue, 1);
    EXPECT_EQ(track.periodMs, 2000u);
    ASSERT_EQ(load({"title", "a.wav"}, 0), S_OK);
    EXPECT_EQ(cueTracks[0].loops, 0);
}

TEST_F(WaoSequenceTest, RebuildingReleasesTheOldSoundsAndAMissingFileChangesNothing) {
    ASSERT_EQ(load({"title", "a.wav", "b.wav"}), S_OK);
    const SoundId first = cueTracks[0].cues[0]->soundId;
    ASSERT_EQ(load({"title", "c.wav"}), S_OK);
    EXPECT_EQ(SoundLength(first), 0.0) << "released";
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.5}}));

    cueTracks[0].nextCue = 1;
    EXPECT_LT(loadCueTrack(GamePath{game_.path(), "wave\\missing.wao"}, 0), 0);
    EXPECT_EQ(cues(), (std::vector<CueView>{{0, 0.5}}));
    EXPECT_EQ(cueTracks[0].nextCue, 1);
    EXPECT_LT(loadCueTrack(GamePath{game_.path(), "wave\\seq.wao"}, 2), 0);

    const SoundId last = cueTracks[0].cues[0]->soundId;
    EXPECT_EQ(clearCueTrack(0), S_OK);
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_EQ(SoundLength(last), 0.0);
    EXPECT_EQ(cueTracks[0].periodMs, 500u) << "clearing leaves the other fields";
}

}  // namespace
}  // namespace tsuzuri
