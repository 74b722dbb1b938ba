// Starting the story at a line with the scene the lines before it set up, and reloading the
// script from its file while it plays.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_engine/interpreter.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_chain.h"
#include "script_engine/script_file.h"
#include "script_engine/story_place.h"
#include "support/scene_fixture.h"

namespace tsuzuri {
namespace {

using test::Calls;
using test::kClick;
using test::kToggle;

class StoryStartTest : public test::SceneTest {};

std::vector<int> arrivals;
void recordArrival(const SceneState&, std::int32_t line) {
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
    setLineTrace(sceneState, recordArrival);
    startStoryAt(sceneState, 13);
    EXPECT_EQ(calls.take(), (Calls{"SoundRelease 0", "SoundLoad wave\\bgm.wav -> 1",
                                   "SoundPlay 1 loop", "showScenePicture cg\\b.bmp",
                                   "clearCueTrack 1", "loadCueTrack wave\\seq.wao 1 -> ok"}));
    EXPECT_EQ(currentLine(), 13);
    EXPECT_TRUE(arrivals.empty()) << "nothing on the way is traced";

    step();
    EXPECT_EQ(arrivals, (std::vector<int>{13}));
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two"}));
}

// Started in a script reached through NextScript lines, the scene is what the scripts on the
// story's way set up, overruled by what comes later (a StopBGM, the script's own picture).
TEST_F(StoryStartTest, ScriptsOnTheWaySetTheSceneToo) {
    writePicture("a.bmp");
    writePicture("b.bmp");
    writePicture("c.bmp");
    writeSound("bgm.wav");
    writeSound("loop.wav");
    writeScript("start.txt", {"a.bmp", "*bgm.wav", "#loop.wav", "Page", "mid.txt", "c.bmp"});
    writeScript("mid.txt", {"b.bmp", "StopBGM", "Page", "end.txt"});
    writeScript("end.txt", {"Page one", "Page two"});
    const std::vector<ScriptLine> before = lastingLinesOnTheWay(
        game.path(), GamePath{game.path(), "script\\start.txt"}, game.path() / "script/end.txt");
    std::vector<std::string> texts;
    for (const ScriptLine& line : before) {
        texts.push_back(line.text);
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{"a.bmp", "*bgm.wav", "#loop.wav", "b.bmp", "StopBGM"}));

    setScript({"Page one", "Page two"});
    startStoryAt(sceneState, 1, before);
    EXPECT_EQ(calls.take(), (Calls{"SoundRelease 0", "SoundLoad wave\\loop.wav -> 1",
                                   "SoundPlay 1 loop", "showScenePicture cg\\b.bmp"}));
    EXPECT_EQ(currentLine(), 1);
    EXPECT_EQ(sceneState.lines.size(), 2u);
}

TEST_F(StoryStartTest, ReloadGoesOnAtTheSameFileLineOrKeepsTheOldScript) {
    writeScript("s.txt", {"Page one", "", "Page two", "Page three"});
    ASSERT_TRUE(loadScript(sceneState, GamePath{game.path(), "script\\s.txt"}));
    EXPECT_EQ(lineIndexAtFileLine(sceneState, 3), 1);
    step();
    step(kClick);
    step();
    ASSERT_EQ(currentLine(), 1);
    arrivals.clear();
    setLineTrace(sceneState, recordArrival);
    calls.take();

    // An editor's save: a line added above, the page itself changed.
    writeScript("s.txt", {"Page one", "// added", "Page two, changed", "Page three"});
    std::string problem;
    ASSERT_TRUE(reloadScript(sceneState, problem)) << problem;
    EXPECT_EQ(currentLine(), 2);
    step();
    EXPECT_EQ(arrivals, (std::vector<int>{2}));
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two, changed"}));

    std::filesystem::remove(game.path() / "script" / "s.txt");
    EXPECT_FALSE(reloadScript(sceneState, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(sceneState.lines.size(), 4u);
    EXPECT_EQ(currentLine(), 2);
}

// A reload never ends the story: a script saved with other line ends or in another encoding,
// or cut short of the line the story stands on, leaves the loaded one playing. A mended picture
// line above the page shows; the music, the same as before, plays on undisturbed.
TEST_F(StoryStartTest, ReloadKeepsTheOldScriptWhenTheNewOneIsReadOtherwise) {
    writePicture("a.bmp");
    writePicture("b.bmp");
    writeSound("bgm.wav");
    writeScript("s.txt", {"a.bmp", "*bgm.wav", "Page one", "Page two", "Page three"});
    ASSERT_TRUE(loadScript(sceneState, GamePath{game.path(), "script\\s.txt"}));
    step();
    step(kClick);
    step();
    ASSERT_EQ(currentLine(), 3);
    calls.take();

    std::string problem;
    const auto refused = [&](const std::string& bytes, const std::string& why) {
        game.write("script/s.txt", bytes);
        EXPECT_FALSE(reloadScript(sceneState, problem));
        EXPECT_EQ(problem, why);
        EXPECT_EQ(sceneState.lines.size(), 5u);
        EXPECT_EQ(currentLine(), 3);
    };
    refused("a.bmp\n*bgm.wav\nPage one\nPage two\nPage three\n",
            "its lines end in LF alone, not CR LF");
    refused("a.bmp\r\n*bgm.wav\r\n\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8\r\nPage two\r\n",
            "it is saved as UTF-8, not Shift-JIS");
    refused("a.bmp\r\n*bgm.wav\r\nPage one\r\n", "it no longer reaches line 4");
    EXPECT_TRUE(calls.take().empty());

    writeScript("s.txt", {"b.bmp", "*bgm.wav", "Page one", "Page two", "Page three"});
    ASSERT_TRUE(reloadScript(sceneState, problem)) << problem;
    EXPECT_EQ(calls.take(), (Calls{"showScenePicture cg\\b.bmp"}));
    EXPECT_EQ(sceneState.scenePicture, "b.bmp");
}

TEST_F(StoryStartTest, APlaceKeepsWhatLastsOfTheSceneAndStartsFromIt) {
    writePicture("a.bmp");
    writeSound("bgm.wav");
    writeSound("loop.wav");
    game.write("wave/seq.wao", "title\r\nloop.wav\r\n");
    writeScript("s.txt", {"a.bmp", "*bgm.wav", "#loop.wav", "$seq.wao", "Page one", "StopLoopSE",
                          "", "Page two", "Page three"});
    ASSERT_TRUE(loadScript(sceneState, GamePath{game.path(), "script\\s.txt"}));
    step();
    step(kClick);
    step(kToggle);
    const std::optional<StoryPlace> place = storyPlaceNow(sceneState);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->scriptFile, game.path() / "script" / "s.txt");
    EXPECT_EQ(place->fileLine, 8);
    EXPECT_FALSE(place->windowShown);
    EXPECT_EQ(place->picture, "a.bmp");
    EXPECT_EQ(place->bgm, "bgm.wav");
    EXPECT_EQ(place->loopSe, "") << "stopped";
    EXPECT_EQ(place->loopWao, "seq.wao");

    // A new run: the scene comes back before the first step draws the page.
    sceneState = SceneState{};
    sceneState.render = &render;
    calls.take();
    std::string problem;
    ASSERT_TRUE(startStoryAtPlace(sceneState, *place, problem)) << problem;
    // Whatever scene there was goes first (here none: only the sequences and the text).
    EXPECT_EQ(calls.take(),
              (Calls{"clearCueTrack 0", "clearCueTrack 1", "clearTextLayer",
                     "showScenePicture cg\\a.bmp", "SoundRelease 0", "SoundLoad wave\\bgm.wav -> 4",
                     "SoundPlay 4 loop", "clearCueTrack 1", "loadCueTrack wave\\seq.wao 1 -> ok"}));
    EXPECT_EQ(sceneState.windowShown, 0);
    step();
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage Page two"}));
    EXPECT_EQ(storyPlaceNow(sceneState)->bgm, "bgm.wav");

    // A line that no longer stores anything (now empty) or lies past the end is refused.
    for (const int line : {7, 10}) {
        StoryPlace gone = *place;
        gone.fileLine = line;
        problem.clear();
        EXPECT_FALSE(startStoryAtPlace(sceneState, gone, problem));
        EXPECT_NE(problem.find("no line " + std::to_string(line)), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace tsuzuri
