// The cue worker's thread life: it starts, runs passes, and stops with both tracks cleared.
#include "shell/cue_worker.h"

#include <gtest/gtest.h>

#include "script_engine/wao_sequence.h"

namespace tsuzuri {
namespace {

TEST(CueWorkerTest, StopsPromptlyAndClearsBothTracks) {
    ASSERT_EQ(startCueWorker(), S_OK);
    {
        std::lock_guard lock(cueLock);
        cueTracks[1].cues.push_back(std::make_unique<Cue>(Cue{7, 0}));
        cueTracks[1].loops = 1;
        cueTracks[1].startTime = 0;
    }
    EXPECT_EQ(stopCueWorker(), S_OK);
    std::lock_guard lock(cueLock);
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_TRUE(cueTracks[1].cues.empty());
    EXPECT_EQ(cueTracks[1].loops, 1) << "clearing keeps the track's other fields";
}

TEST(CueWorkerTest, OnePassStartsAtMostOneDueCuePerTrack) {
    CueTrack& track = cueTracks[0];
    track = CueTrack{};
    track.cues.push_back(std::make_unique<Cue>(Cue{1, 0}));
    track.cues.push_back(std::make_unique<Cue>(Cue{2, 0}));
    track.cues.push_back(std::make_unique<Cue>(Cue{3, 60000}));
    runCueWorkerPass();
    EXPECT_EQ(track.nextCue, 1);
    EXPECT_NE(track.startTime, 0u);
    runCueWorkerPass();
    EXPECT_EQ(track.nextCue, 2);
    runCueWorkerPass();
    EXPECT_EQ(track.nextCue, 2) << "the third cue is a minute away";
    clearCueTrack(0);
    clearCueTrack(7);  // not a track: ignored
}

TEST(CueWorkerTest, RepeatingTrackBeginsANewRunOncePeriodHasPassed) {
    CueTrack& track = cueTracks[1];
    track = CueTrack{};
    track.loops = 1;
    track.periodMs = 0;
    runCueWorkerPass();
    EXPECT_EQ(track.startTime, 0u) << "an empty repeating track restarts every pass";
    track.periodMs = 60000;
    runCueWorkerPass();
    EXPECT_NE(track.startTime, 0u);
    track = CueTrack{};
}

}  // namespace
}  // namespace tsuzuri
