// The scene interpreter stepped pass by pass: what runs in one step, pages and the window,
// skipping, flashes, the sound channels and cue tracks, lines whose media fail, jumps, script
// changes and the bound on a step that never reaches a waiting line.
#include "script_engine/interpreter.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>
#include <atomic>

#include <filesystem>

#include "app/cue_worker.h"
#include "graphics/render_device.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "sound/sound_layer.h"
#include "support/scene_fixture.h"

namespace tsuzuri {
namespace {

using test::Calls;
using test::kClick;
using test::kClickAndToggle;
using test::kSkip;
using test::kSkipRead;
using test::kToggle;
namespace fs = std::filesystem;

class InterpreterTest : public test::SceneTest {};

// Lines the story arrived at, in order, as the trace reports them.
std::vector<int> arrivals;
void recordArrival(const SceneState&, std::int32_t line) {
    arrivals.push_back(line);
}

TEST_F(InterpreterTest, ImmediateLinesRunInOneStepUpToTheFirstPage) {
    EXPECT_TRUE(isSceneFinished(sceneState)) << "nothing loaded yet";
    writePicture("bg.bmp");
    writeSound("se.wav");
    setScript({"// opening", "bg.bmp", "se.wav", "\\\\start", "First page", "Second page"});
    step();
    EXPECT_EQ(currentLine(), 4);
    EXPECT_EQ(calls.take(),
              (Calls{"showScenePicture cg\\bg.bmp", "SoundRelease 0", "SoundLoad wave\\se.wav -> 1",
                     "SoundPlay 1 once", "clearTextLayer", "drawTextPage First page"}));
    EXPECT_EQ(sceneState.textDirty, 0);

    // The page waits without drawing again.
    step();
    step();
    EXPECT_EQ(currentLine(), 4);
    EXPECT_TRUE(calls.take().empty());
}

TEST_F(InterpreterTest, PageTurnStopsTheSoundEffectAndTheOneShotSequenceOnly) {
    writeSound("se.wav");
    writeSound("loop.wav");
    writeSound("bgm.wav");
    game.write("wave/once.wao", "title\r\nse.wav\r\n");
    game.write("wave/again.wao", "title\r\nloop.wav\r\n");
    setScript(
        {"se.wav", "#loop.wav", "*bgm.wav", "once.wao", "$again.wao", "Page one", "Page two"});
    step();
    ASSERT_EQ(currentLine(), 5);
    EXPECT_EQ(cueTracks[0].cues.size(), 1u);
    EXPECT_EQ(cueTracks[1].cues.size(), 1u);
    calls.take();

    step(kClick);
    EXPECT_EQ(currentLine(), 6) << "the next page waits for the next pass";
    EXPECT_EQ(calls.take(), (Calls{"SoundStop 1", "clearCueTrack 0"}));
    EXPECT_EQ(sceneState.textDirty, 1);
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_EQ(cueTracks[1].cues.size(), 1u);
    EXPECT_GT(SoundLength(1), 0.0) << "a stopped sound effect stays loaded";

    step();
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two"}));
}

TEST_F(InterpreterTest, WindowHidesAndShowsOnAPage) {
    setScript({"One", "Two", "Three", "Four"});
    step();
    calls.take();

    step(kToggle);
    EXPECT_EQ(sceneState.windowShown, 0);
    step(kClick);
    EXPECT_EQ(sceneState.windowShown, 1) << "the first click after hiding only shows";
    EXPECT_EQ(currentLine(), 0);
    EXPECT_TRUE(calls.take().empty()) << "no page turn, so nothing is stopped";
    step(kToggle);
    step(kToggle);
    EXPECT_EQ(sceneState.windowShown, 1) << "the toggle shows the window again too";
    EXPECT_EQ(currentLine(), 0);

    // Both on one pass on a shown page: the page turns and the window hides.
    step(kClickAndToggle);
    EXPECT_EQ(currentLine(), 1);
    EXPECT_EQ(sceneState.windowShown, 0);
    calls.take();
    step();
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Two"}))
        << "a page is drawn while the window is hidden";

    // Both on one pass on a hidden page: the click shows it, the toggle hides it again.
    step(kClickAndToggle);
    EXPECT_EQ(sceneState.windowShown, 0);
    EXPECT_EQ(currentLine(), 1);

    // Ctrl brings a hidden window back, and turns the page on the next pass.
    step(kSkip);
    EXPECT_EQ(sceneState.windowShown, 1);
    EXPECT_EQ(currentLine(), 1);
    step(kSkip);
    EXPECT_EQ(currentLine(), 2);
}

TEST_F(InterpreterTest, SkipKeyTurnsOnePagePerPassAndStartsNoFlashOrSequence) {
    writeSound("a.wav");
    game.write("wave/once.wao", "title\r\na.wav\r\n");
    game.write("wave/again.wao", "title\r\na.wav\r\n");
    setScript({"One", "flash", "once.wao", "$again.wao", "Two", "Three"});

    step(kSkip);
    EXPECT_EQ(currentLine(), 1);
    EXPECT_EQ(calls.take(),
              (Calls{"clearTextLayer", "drawTextPage One", "SoundStop 0", "clearCueTrack 0"}));

    render.flashActive = 1;  // a flash still fading from before
    render.flashLevel = 100;
    step(kSkip);
    EXPECT_EQ(currentLine(), 5);
    EXPECT_EQ(calls.take(), (Calls{"clearCueTrack 0", "clearCueTrack 1", "clearTextLayer",
                                   "drawTextPage Two", "SoundStop 0", "clearCueTrack 0"}));
    EXPECT_EQ(render.flashActive, 0);
    EXPECT_EQ(render.flashLevel, 0);
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_TRUE(cueTracks[1].cues.empty());

    // The last page is not turned by a skip: the reader ends the story.
    step(kSkip);
    step(kSkip);
    EXPECT_EQ(currentLine(), 5);
    step(kClick);
    EXPECT_TRUE(isSceneFinished(sceneState));
}

TEST_F(InterpreterTest, SkipOfReadPagesStopsAtTheFirstPageUnreadWhenItCameUntilTheKeyIsLetGo) {
    setScript({"One", "Two", "Three", "Four", "// the end"});
    step();
    step(kClick);
    step();  // One and Two have been shown
    resumeStoryAt(sceneState, 0);

    step(kSkipRead);
    step(kSkipRead);
    EXPECT_EQ(currentLine(), 2) << "One and Two passed";
    step(kSkipRead);
    step(kSkipRead);
    EXPECT_EQ(currentLine(), 2) << "Three was unread: the skip stops while the key is held";
    step();
    step(kSkipRead);
    EXPECT_EQ(currentLine(), 3) << "held again, the skip passes Three, shown by now";

    // Four is the story's last page: no skip passes it, of read pages or of all.
    step(kSkipRead);
    step();
    step(kSkip);
    step(kSkip);
    EXPECT_EQ(currentLine(), 3);
    step(kClick);
    step();
    EXPECT_TRUE(isSceneFinished(sceneState));
}

TEST_F(InterpreterTest, FlashHoldsTheStoryForTwentySevenPassesUnlessSkipped) {
    setScript({"Before", "flash", "After"});
    step();
    step(kClick);
    ASSERT_EQ(currentLine(), 1);
    calls.take();

    int passes = 0;
    while (currentLine() == 1 && passes < 100) {
        step();
        ++passes;
    }
    EXPECT_EQ(passes, 27);
    const Calls flashCalls = calls.take();
    ASSERT_EQ(flashCalls.size(), 54u);
    EXPECT_EQ(flashCalls.front(), "clearTextLayer");
    EXPECT_EQ(flashCalls[1], "stepFlash -> 1");
    EXPECT_EQ(flashCalls.back(), "stepFlash -> 0");
    EXPECT_EQ(render.flashActive, 0);
    EXPECT_EQ(render.flashLevel, 0);
    EXPECT_EQ(sceneState.textDirty, 1);
    step();
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage After"}))
        << "the page after the flash is drawn afresh";

    // Ctrl in the middle of a flash ends it at once, and the story goes on in the same pass.
    setScript({"flash", "After"});
    for (int i = 0; i < 5; ++i) {
        step();
    }
    EXPECT_EQ(render.flashActive, 1);
    EXPECT_EQ(render.flashLevel, 215);
    calls.take();
    step(kSkip);
    EXPECT_EQ(render.flashActive, 0);
    EXPECT_EQ(render.flashLevel, 0);
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage After"}))
        << "the story's last page waits for the reader";
    EXPECT_FALSE(isSceneFinished(sceneState));
}

TEST_F(InterpreterTest, SoundLinesReleaseWhatTheirChannelHeldAndStopKeepsItLoaded) {
    writeSound("a.wav");
    writeSound("b.wav");
    game.write("wave/bad.wav", "not a sound");
    setScript({"a.wav", "b.wav", "#a.wav", "StopLoopSE", "#b.wav", "*a.wav", "StopBGM", "StopBGM",
               "bad.wav", "Page"});
    step();
    EXPECT_EQ(calls.take(), (Calls{"SoundRelease 0",
                                   "SoundLoad wave\\a.wav -> 1",
                                   "SoundPlay 1 once",
                                   "SoundRelease 1",
                                   "SoundLoad wave\\b.wav -> 2",
                                   "SoundPlay 2 once",
                                   "SoundRelease 0",
                                   "SoundLoad wave\\a.wav -> 3",
                                   "SoundPlay 3 loop",
                                   "SoundStop 3",
                                   "SoundRelease 3",
                                   "SoundLoad wave\\b.wav -> 4",
                                   "SoundPlay 4 loop",
                                   "SoundRelease 0",
                                   "SoundLoad wave\\a.wav -> 5",
                                   "SoundPlay 5 loop",
                                   "SoundStop 5",
                                   "SoundStop 5",
                                   "SoundRelease 2",
                                   "SoundLoad wave\\bad.wav -> -1",
                                   "clearTextLayer",
                                   "drawTextPage bad.wav"}));
    EXPECT_EQ(SoundLength(1), 0.0) << "released by the next SE line";
    EXPECT_EQ(SoundLength(2), 0.0) << "released before the failed load";
    EXPECT_EQ(SoundLength(3), 0.0) << "released by the next LoopSE line";
    EXPECT_GT(SoundLength(5), 0.0) << "stopped music stays loaded";
    EXPECT_EQ(sceneState.seChannel, -1);
    EXPECT_EQ(sceneState.loopSeChannel, 4);
    EXPECT_EQ(sceneState.bgmChannel, 5);
    EXPECT_EQ(currentLine(), 8);
    EXPECT_EQ(kindOf(8), Text);
}

// Each kind of line whose file is gone by the time the story reaches it, with the calls its
// one attempt makes.
struct BrokenLine {
    const char* line;
    const char* file;  // below the game folder, removed after the script is classified
    Calls attempt;
};

TEST_F(InterpreterTest, LinesWhoseMediaFailBecomePagesForGood) {
    const BrokenLine cases[] = {
        {"gone.bmp", "cg/gone.bmp", {"showScenePicture cg\\gone.bmp"}},
        {"gone.wav", "wave/gone.wav", {"SoundRelease 0", "SoundLoad wave\\gone.wav -> -1"}},
        {"#gone.wav", "wave/gone.wav", {"SoundRelease 0", "SoundLoad wave\\gone.wav -> -1"}},
        {"*gone.wav", "wave/gone.wav", {"SoundRelease 0", "SoundLoad wave\\gone.wav -> -1"}},
        {"gone.wao",
         "wave/gone.wao",
         {"clearCueTrack 0", "loadCueTrack wave\\gone.wao 0 -> failed"}},
        {"$gone.wao",
         "wave/gone.wao",
         {"clearCueTrack 1", "loadCueTrack wave\\gone.wao 1 -> failed"}},
        {"gone.txt", "script/gone.txt", {}},
    };
    for (const BrokenLine& broken : cases) {
        SCOPED_TRACE(broken.line);
        sceneState = SceneState{};
        sceneState.render = &render;
        writeSound("gone.wav");
        game.write(broken.file, "x");
        setScript({"\\\\top", broken.line, "\\top"});
        ASSERT_NE(kindOf(1), Text);
        fs::remove(game.path() / broken.file);

        step();
        EXPECT_EQ(currentLine(), 1);
        EXPECT_EQ(kindOf(1), Text);
        Calls expected = broken.attempt;
        expected.push_back("clearTextLayer");
        expected.push_back(std::string("drawTextPage ") + broken.line);
        EXPECT_EQ(calls.take(), expected) << "the line itself is the page, prefix and all";
        EXPECT_EQ(sceneState.lines.size(), 3u);

        // Round the loop and back: the page shows without a second attempt.
        step(kClick);
        calls.take();
        step();
        EXPECT_EQ(currentLine(), 1);
        EXPECT_EQ(calls.take(),
                  (Calls{"clearTextLayer", std::string("drawTextPage ") + broken.line}));
    }
}

TEST_F(InterpreterTest, JumpsFindTheirLabelsForwardAndBackward) {
    setScript({"\\skip", "Skipped", "\\\\skip", "\\\\loop", "Looped page", "\\nowhere", "\\loop"});
    arrivals.clear();
    setLineTrace(sceneState, recordArrival);

    step();
    EXPECT_EQ(currentLine(), 4);
    EXPECT_EQ(arrivals, (std::vector<int>{0, 2, 3, 4}));
    step();
    EXPECT_EQ(arrivals.size(), 4u) << "a waiting page is reported once";

    // A missing label goes on with the next line; the jump back loops through the page.
    for (int round = 0; round < 2; ++round) {
        arrivals.clear();
        calls.take();
        step(kClick);
        step();
        EXPECT_EQ(currentLine(), 4);
        EXPECT_EQ(arrivals, (std::vector<int>{5, 6, 3, 4}));
        EXPECT_EQ(calls.take(), (Calls{"SoundStop 0", "clearCueTrack 0", "clearTextLayer",
                                       "drawTextPage Looped page"}));
    }
}

TEST_F(InterpreterTest, NextScriptReplacesTheLinesAndCarriesEverythingElseOn) {
    writeSound("bgm.wav");
    writeScript("two.txt", {"Second script", "More"});
    setScript({"*bgm.wav", "First", "two.txt", "Never"});
    ASSERT_EQ(kindOf(2), NextScript);
    step();
    step(kClick);
    calls.take();

    step();
    EXPECT_EQ(currentLine(), 0);
    ASSERT_EQ(sceneState.lines.size(), 2u);
    EXPECT_EQ(sceneState.lines[0]->text, "Second script");
    EXPECT_EQ(sceneState.gameFolder, game.path());
    EXPECT_EQ(sceneState.bgmChannel, 1);
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Second script"}))
        << "the music plays on and nothing else is touched";
}

TEST_F(InterpreterTest, NextScriptIntoAShorterOrEmptyScriptEndsTheStoryThere) {
    writeSound("bgm.wav");
    writeScript("short.txt", {"*bgm.wav"});
    setScript({"//", "//", "//", "//", "//", "short.txt", "Old page", "Old page"});
    step();
    EXPECT_EQ(sceneState.lines.size(), 1u);
    EXPECT_EQ(currentLine(), 1);
    EXPECT_TRUE(isSceneFinished(sceneState));

    game.write("script/empty.txt", "\r\n\r\n");
    setScript({"Page", "empty.txt", "Never"});
    step();
    step(kClick);
    step();
    EXPECT_TRUE(sceneState.lines.empty());
    EXPECT_EQ(currentLine(), 0);
    EXPECT_TRUE(isSceneFinished(sceneState));
}

int linesReported = 0;
void countLine(const SceneState&, std::int32_t) {
    ++linesReported;
}

TEST_F(InterpreterTest, EndlessJumpCycleEndsEachStepAfterTheLineBound) {
    setScript({"\\\\a", "// between", "\\a", "Never"});
    linesReported = 0;
    setLineTrace(sceneState, countLine);

    // The first report is the line the step starts on; every line run reports the next.
    step();
    EXPECT_EQ(linesReported, 1 + kMaxLinesPerStep);
    EXPECT_EQ(currentLine(), kMaxLinesPerStep % 3) << "where the 10000th line left the story";
    step();
    EXPECT_EQ(linesReported, 1 + 2 * kMaxLinesPerStep);
    EXPECT_EQ(currentLine(), (2 * kMaxLinesPerStep) % 3);
    EXPECT_FALSE(isSceneFinished(sceneState));
}

// A clock that only moves when the story does: 300 ms for every line reached, besides the
// 100 ms pause after each load.
test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeNow = fakeClock.now;
void slowLine(const SceneState&, std::int32_t) {
    ++linesReported;
    fakeNow += 300;
}

TEST_F(InterpreterTest, ScriptThatNamesItselfEndsEachStepAfterTheTimeBound) {
    writeScript("self.txt", {"self.txt"});
    setScript({"self.txt"});
    ASSERT_EQ(kindOf(0), NextScript);
    fakeNow = 0;
    linesReported = 0;
    sceneState.clock = &fakeClock;
    setLineTrace(sceneState, slowLine);

    // 300 ms for the first line, then a reload (100 ms) for each further report (300 ms),
    // until more than a second has gone by: after the second reload (1100 ms).
    step();
    EXPECT_EQ(linesReported, 3);
    EXPECT_EQ(currentLine(), 0);
    EXPECT_EQ(kindOf(0), NextScript);
    step();
    EXPECT_EQ(linesReported, 6) << "the next pass goes on from there, as bounded";
}

}  // namespace
}  // namespace tsuzuri
