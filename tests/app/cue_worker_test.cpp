// The cue worker: when cues start (on an injected clock, pass by pass), and its thread's life
// with real sequences being cleared, rebuilt and stopped while it runs.
#include "app/cue_worker.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>
#include <atomic>

#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "script_engine/wao_sequence.h"
#include "support/engine_calls.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeNow = fakeClock.now;

void addCue(CueTrack& track, SoundId id, std::uint32_t offsetMs) {
    track.cues.push_back(std::make_unique<Cue>(Cue{id, offsetMs}));
}

// Runs `passes` passes 10 ms apart from the clock reading `from` and answers, for each cue
// handed to the sound layer, "SoundPlay ID once due DUE@PASS": when it is due and on which pass
// it was handed.
std::vector<std::string> runPasses(std::uint32_t from, int passes) {
    std::vector<std::string> handed;
    test::EngineCallLog log;
    log.noteDueTimes(true);
    fakeNow = from;
    for (int i = 0; i < passes; ++i, fakeNow += 10) {
        runCueWorkerPass(fakeNow);
        for (const std::string& call : log.take()) {
            handed.push_back(call + "@" + std::to_string(fakeNow));
        }
    }
    return handed;
}

class CueTimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        cueTracks[0] = CueTrack{};
        cueTracks[1] = CueTrack{};
    }
    void TearDown() override {
        cueTracks[0] = CueTrack{};
        cueTracks[1] = CueTrack{};
    }
};

// Cues go to the sound layer ahead of their time, each with the time it is due, so that cues
// due together start together and none waits for a pass.
TEST_F(CueTimingTest, EachCueIsHandedAheadWithItsOwnTime) {
    CueTrack& track = cueTracks[0];
    addCue(track, 1, 0);
    addCue(track, 2, 0);
    addCue(track, 3, 15);
    addCue(track, 4, 2505);
    EXPECT_EQ(runPasses(5000, 400),
              (std::vector<std::string>{
                  "SoundPlay 1 once due 5000@5000", "SoundPlay 2 once due 5000@5000",
                  "SoundPlay 3 once due 5015@5000", "SoundPlay 4 once due 7505@7460"}));
    EXPECT_EQ(track.nextCue, 4);
    EXPECT_EQ(track.startTime, 5000u) << "a finished one-shot track stays as it is";

    // A track that a build has set up starts at the time it was given, not at the pass.
    cueTracks[0] = CueTrack{};
    addCue(cueTracks[0], 1, 0);
    addCue(cueTracks[1], 2, 0);
    cueTracks[0].startTime = 95;
    cueTracks[1].startTime = 0;
    cueTracks[1].loops = 1;
    cueTracks[1].periodMs = 60000;
    EXPECT_EQ(runPasses(100, 1), (std::vector<std::string>{"SoundPlay 1 once due 95@100",
                                                           "SoundPlay 2 once due 100@100"}));
}

TEST_F(CueTimingTest, RepeatingTrackStartsAgainExactlyAPeriodAfterItsStart) {
    CueTrack& track = cueTracks[1];
    addCue(track, 1, 0);
    addCue(track, 2, 500);
    track.loops = 1;
    track.periodMs = 2000;
    EXPECT_EQ(runPasses(1000, 500),
              (std::vector<std::string>{
                  "SoundPlay 1 once due 1000@1000", "SoundPlay 2 once due 1500@1450",
                  "SoundPlay 1 once due 3000@2950", "SoundPlay 2 once due 3500@3450",
                  "SoundPlay 1 once due 5000@4950", "SoundPlay 2 once due 5500@5450"}));

    // A track held up for more than a period (a machine that stalled) skips the runs it
    // missed and keeps its beat.
    fakeNow = 20030;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.startTime, 19000u);
}

TEST_F(CueTimingTest, EmptyRepeatingTrackKeepsBeginningRunsAndPlaysNothing) {
    CueTrack& track = cueTracks[1];
    track.loops = 1;
    fakeNow = 100;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.startTime, 0u) << "period 0: a new run on every pass";
    track.periodMs = 50;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.startTime, 150u) << "runs 100 and 150 are under way";
    fakeNow = 160;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.startTime, 200u);
}

TEST_F(CueTimingTest, TimingSurvivesTheClockWrappingAround) {
    CueTrack& once = cueTracks[0];
    addCue(once, 1, 0);
    addCue(once, 2, 500);
    EXPECT_EQ(runPasses(0xFFFFFF00u, 60),
              (std::vector<std::string>{"SoundPlay 1 once due 4294967040@4294967040",
                                        "SoundPlay 2 once due 244@194"}));

    CueTrack& repeating = cueTracks[1];
    addCue(repeating, 3, 0);
    repeating.startTime = 0;
    repeating.loops = 1;
    repeating.periodMs = 300;
    EXPECT_EQ(runPasses(0xFFFFFF06u, 40),
              (std::vector<std::string>{"SoundPlay 3 once due 4294967046@4294967046",
                                        "SoundPlay 3 once due 50@0"}));
}

// Times near the clock's whole range (a wait of 1e300 seconds is held to it) are due once that
// much time has passed: nothing is handed now, and a pass ends at once.
TEST_F(CueTimingTest, TimesOfAlmostTheClocksWholeRangeWaitTheirTurn) {
    CueTrack& repeating = cueTracks[1];
    addCue(repeating, 1, 0xFFFFFFFFu);
    repeating.loops = 1;
    repeating.periodMs = 0xFFFFFFFFu;
    repeating.startTime = 1000;
    EXPECT_TRUE(runPasses(1000, 3).empty());
    EXPECT_EQ(repeating.startTime, 1000u);

    // A start a little after the pass's clock reading (the story read the clock later) has
    // not begun yet, rather than begun 49 days ago.
    repeating.periodMs = 100;
    repeating.cues[0]->offsetMs = 0;
    repeating.startTime = 2000;
    fakeNow = 1900;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(repeating.startTime, 2000u);
    EXPECT_EQ(repeating.nextCue, 0);
}

// A run whose start reads exactly 0 looks unstarted, so the next pass starts it again.
TEST_F(CueTimingTest, AStartTimeReadingZeroRestartsTheRunOnTheNextPass) {
    CueTrack& track = cueTracks[0];
    addCue(track, 1, 0);
    addCue(track, 2, 1000);
    fakeNow = 0;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.nextCue, 1);
    EXPECT_EQ(track.startTime, 0u);
    fakeNow = 10;
    runCueWorkerPass(fakeNow);
    EXPECT_EQ(track.startTime, 10u);
    EXPECT_EQ(track.nextCue, 1) << "the first cue started over";
}

// The worker thread with real sequences on a real (silent) sound output.
class CueWorkerThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sound_.start("dummy"), S_OK);
        test::WavSpec shortSound;
        shortSound.samples = std::string(400, '\x90');  // 50 ms
        game_.write("wave/short.wav", test::buildWav(shortSound));
        game_.write("wave/loop.wao", "title\r\nshort.wav\r\nshort.wav\r\n");
        game_.write("wave/far.wao", "title\r\nshort.wav\r\n* 60\r\nshort.wav\r\n");
    }
    void TearDown() override {
        stopCueWorker();
        cueTracks[0] = CueTrack{};
        cueTracks[1] = CueTrack{};
        sound_.stop();
    }

    Status load(const char* name, std::int32_t track) {
        return loadCueTrack(GamePath{game_.path(), std::string("wave\\") + name}, track);
    }

    // Waits (up to a generous limit) until the condition holds under cueLock.
    template <typename Condition>
    static bool waitFor(Condition condition) {
        for (int i = 0; i < 1000; ++i) {
            {
                std::lock_guard lock(cueLock);
                if (condition()) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    static std::vector<SoundId> soundsOf(std::int32_t track) {
        std::lock_guard lock(cueLock);
        std::vector<SoundId> ids;
        for (const auto& cue : cueTracks[track].cues) {
            ids.push_back(cue->soundId);
        }
        return ids;
    }

    static bool allReleased(const std::vector<SoundId>& ids) {
        for (const SoundId id : ids) {
            if (SoundLength(id) != 0.0) {
                return false;
            }
        }
        return true;
    }

    test::ScopedSound sound_;
    test::TempFolder game_;
};

TEST_F(CueWorkerThreadTest, ClearingARepeatingTrackWhileItRunsEndsIt) {
    ASSERT_EQ(startCueWorker(platform::systemClock()), S_OK);
    EXPECT_LT(startCueWorker(platform::systemClock()), 0) << "one worker at a time";
    ASSERT_EQ(load("loop.wao", 1), S_OK);
    const std::vector<SoundId> ids = soundsOf(1);
    // Two runs of 100 ms: the second has begun once its start time has moved on.
    std::uint32_t firstStart = 0;
    ASSERT_TRUE(waitFor([&] {
        if (firstStart == 0) {
            firstStart = cueTracks[1].startTime;
        }
        return firstStart != 0 && cueTracks[1].startTime != 0 &&
               cueTracks[1].startTime != firstStart;
    }));
    EXPECT_EQ(clearCueTrack(1), S_OK);
    EXPECT_TRUE(allReleased(ids));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard lock(cueLock);
    EXPECT_TRUE(cueTracks[1].cues.empty());
}

TEST_F(CueWorkerThreadTest, RebuildingTrackZeroWhileItRunsStartsTheNewSequenceFromItsStart) {
    ASSERT_EQ(startCueWorker(platform::systemClock()), S_OK);
    ASSERT_EQ(load("far.wao", 0), S_OK);
    const std::vector<SoundId> old = soundsOf(0);
    ASSERT_TRUE(waitFor([] { return cueTracks[0].nextCue == 1; }));
    ASSERT_EQ(load("loop.wao", 0), S_OK);
    EXPECT_TRUE(allReleased(old));
    ASSERT_TRUE(waitFor([] { return cueTracks[0].nextCue == 2; }));
    std::lock_guard lock(cueLock);
    EXPECT_NE(cueTracks[0].startTime, 0u);
}

TEST_F(CueWorkerThreadTest, StoppingWhileBothTracksAreBusyReleasesEveryCue) {
    ASSERT_EQ(startCueWorker(platform::systemClock()), S_OK);
    ASSERT_EQ(load("far.wao", 0), S_OK);
    ASSERT_EQ(load("loop.wao", 1), S_OK);
    const std::vector<SoundId> once = soundsOf(0);
    const std::vector<SoundId> repeating = soundsOf(1);
    ASSERT_TRUE(waitFor([] { return cueTracks[0].nextCue == 1 && cueTracks[1].nextCue >= 1; }));
    EXPECT_EQ(stopCueWorker(), S_OK);
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_TRUE(cueTracks[1].cues.empty());
    EXPECT_TRUE(allReleased(once));
    EXPECT_TRUE(allReleased(repeating));
    EXPECT_EQ(cueTracks[1].loops, 1) << "clearing keeps the track's other fields";

    // The worker can be started again afterwards.
    EXPECT_EQ(startCueWorker(platform::systemClock()), S_OK);
}

}  // namespace
}  // namespace tsuzuri
