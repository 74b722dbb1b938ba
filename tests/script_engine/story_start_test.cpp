// Starting the story at a line with the scene the lines before it set up, and reloading the
// script from its file while it plays.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_engine/interpreter.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "support/scene_fixture.h"

namespace tsuzuri {
namespace {

using test::Calls;
using test::kClick;

class StoryStartTest : public test::SceneTest {};

std::vector<int> arrivals;
void recordArrival(std::int32_t line) {
    arrivals.push_back(line);
}

TEST_F(StoryStartTest, LinesBeforeTheStartSetOnlyTheLastOfEachLastingKind) {
    writePicture("a.bmp");
    writePicture("b.bmp");
    writeSound("bgm.wav");
    writeSound("loop.wav");
    writeSound("se.wav");
    game.write("wave/seq.wao", "title\r\nse.wav\r\n");
    setScript({"a.bmp", "*bgm.wav", "Page one", "se.wav", "b.bmp", "#loop.wav", "StopLoopSE",
               "$seq.wao", "seq.wao", "flash", "choices||x\\y", "\\y", "part.txt", "Page two"});
    arrivals.clear();
    setLineTrace(recordArrival);
    startStoryAt(13);
    EXPECT_EQ(calls.take(), (Calls{"SoundRelease 0", "SoundLoad wave\\bgm.wav -> 1",
                                   "SoundPlay 1 loop", "showScenePicture cg\\b.bmp",
                                   "clearCueTrack 1", "loadCueTrack wave\\seq.wao 1 -> ok"}));
    EXPECT_EQ(currentLine(), 13);
    EXPECT_TRUE(arrivals.empty()) << "nothing on the way is traced";

    step();
    EXPECT_EQ(arrivals, (std::vector<int>{13}));
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two"}));
}

TEST_F(StoryStartTest, ReloadGoesOnAtTheSameFileLineOrKeepsTheOldScript) {
    writeScript("s.txt", {"Page one", "", "Page two", "Page three"});
    ASSERT_TRUE(loadScript(GamePath{game.path(), "script\\s.txt"}));
    EXPECT_EQ(lineIndexAtFileLine(3), 1);
    step();
    step(kClick);
    step();
    ASSERT_EQ(currentLine(), 1);
    arrivals.clear();
    setLineTrace(recordArrival);
    calls.take();

    // An editor's save: a line added above, the page itself changed.
    writeScript("s.txt", {"Page one", "// added", "Page two, changed", "Page three"});
    std::string problem;
    ASSERT_TRUE(reloadScript(problem)) << problem;
    EXPECT_EQ(currentLine(), 2);
    step();
    EXPECT_EQ(arrivals, (std::vector<int>{2}));
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two, changed"}));

    std::filesystem::remove(game.path() / "script" / "s.txt");
    EXPECT_FALSE(reloadScript(problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(sceneState.lines.size(), 4u);
    EXPECT_EQ(currentLine(), 2);
}

}  // namespace
}  // namespace tsuzuri
