// The entry routine run end to end on the headless backend: start-up order, the script
// chooser's answers, the failure messages and the main loop's close requests.
#include "app/player.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "support/png_file.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

using test::CurrentDirectory;
using test::TempFolder;

const std::string kScenarioFailed =
    "Error\nシナリオの読み込みに失敗しました。\nプログラムを終了します。";
const std::string kChosenScriptFailed = "Error\nスクリプトの読み込みに失敗しました";

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::selectBackend(platform::Backend::Headless); }
    void TearDown() override { platform::selectBackend(platform::Backend::Sdl); }

    // Runs the player in the game folder with the given input script.
    int play(const std::string& input, const PlayerOptions& options = {}) {
        platform::ScriptedInput events;
        std::string error;
        EXPECT_TRUE(platform::parseScriptedInput(input, "test", events, error)) << error;
        platform::setHeadlessInput(events);
        CurrentDirectory inGame(game.path());
        return runPlayer(options);
    }

    std::vector<std::string> messages() const { return platform::headlessMessageLog(); }

    TempFolder game;
};

TEST_F(PlayerTest, CancelledChooserShowsOnlyTheScenarioFailure) {
    EXPECT_EQ(play("pass 1 choose cancel\n"), 0);
    EXPECT_EQ(messages(), std::vector<std::string>{kScenarioFailed});
    EXPECT_EQ(platform::headlessPresentedFrames(), 0u);
}

TEST_F(PlayerTest, ChosenScriptThatCannotLoadShowsTwoMessagesInOrder) {
    game.write("script/a.txt", "hello\r\n");
    const std::string missing = (game.path() / "script" / "missing.txt").string();
    EXPECT_EQ(play("pass 1 choose " + missing + "\n"), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{kChosenScriptFailed, kScenarioFailed}));
}

TEST_F(PlayerTest, ChosenScriptRunsTheLoopUntilEscape) {
    game.write("script/a.txt", "hello\r\n");
    const std::string chosen = (game.path() / "script" / "a.txt").string();
    EXPECT_EQ(play("pass 1 choose " + chosen + "\npass 5 tap escape\n"), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(platform::headlessIdlePasses(), 4u);
    EXPECT_GE(platform::headlessPresentedFrames(), 1u) << "the chosen script's page";
}

TEST_F(PlayerTest, ConfiguredScriptLoadsWithoutAskingAndRunsUntilClosed) {
    game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=a.txt\r\nWindowTitle=T\r\n");
    game.write("script/a.txt", "hello\r\n");
    // A chooser answer that would fail if it were asked for.
    EXPECT_EQ(play("pass 1 choose /nonexistent/x.txt\npass 3 close\n"), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(platform::headlessIdlePasses(), 2u);
    EXPECT_EQ(platform::headlessPresentedFrames(), 1u) << "an unchanged frame is shown once";
}

TEST_F(PlayerTest, MissingConfiguredScriptFallsBackToTheChooserSilently) {
    game.write("game.ini", "[gamestate]\ndefaultscriptfilename = \"missing.txt\"\n");
    game.write("script/b.txt", "hello\r\n");
    const std::string chosen = (game.path() / "script" / "b.txt").string();
    EXPECT_EQ(play("pass 1 choose " + chosen + "\npass 2 close\n"), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(platform::headlessIdlePasses(), 1u);
}

TEST_F(PlayerTest, ScriptWithoutLinesClosesAfterTheFirstPass) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=empty.txt\n");
    game.write("script/empty.txt", "\r\n\r\n");
    EXPECT_EQ(play(""), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(platform::headlessIdlePasses(), 1u);
}

TEST_F(PlayerTest, FramesShowTheClearColour) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=a.txt\n");
    game.write("script/a.txt", "hello\r\n");
    EXPECT_EQ(play("pass 2 close\n"), 0);
    const platform::CapturedFrame& frame = platform::headlessLastFrame();
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    EXPECT_EQ(frame.pixels.front(), 0xFFC0C0FFu);
    EXPECT_EQ(frame.pixels.back(), 0xFFC0C0FFu);
}

// Counts the "advance released" reports that a run writes to stderr.
int countAdvanceReports(const std::string& log) {
    int count = 0;
    for (size_t at = log.find("advance released"); at != std::string::npos;
         at = log.find("advance released", at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(PlayerTest, ReleasesAreSeenOnceAndNotDuringTheStartupGuard) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=a.txt\n");
    // Enough pages that no click ends the story.
    game.write("script/a.txt", "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n");
    PlayerOptions options;
    options.traceInput = true;

    // Held from the start and released inside the first 300 ms: not a click.
    ::testing::internal::CaptureStderr();
    play("pass 1 down enter\nms 100 up enter\nms 600 close\n", options);
    EXPECT_EQ(countAdvanceReports(::testing::internal::GetCapturedStderr()), 0);

    // A held press, a tap between two passes, and left plus Enter released together: three.
    ::testing::internal::CaptureStderr();
    play(
        "ms 400 down enter\nms 450 up enter\n"
        "ms 500 tap left\n"
        "ms 600 down left\nms 600 down enter\nms 650 up left\nms 650 up enter\n"
        "ms 800 close\n",
        options);
    EXPECT_EQ(countAdvanceReports(::testing::internal::GetCapturedStderr()), 3);
}

TEST_F(PlayerTest, RecordingWritesNewFramesAnIndexAndTheSound) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=a.txt\n");
    game.write("script/a.txt", "hello\r\n");
    test::TempFolder out;
    PlayerOptions options;
    options.recordFolder = out.path() / "run";
    options.maxPasses = 6;
    EXPECT_EQ(play("", options), 0);
    EXPECT_EQ(platform::headlessIdlePasses(), 6u) << "--frames closes after six passes";

    std::ifstream index(out.path() / "run" / "index.tsv");
    std::string header, row;
    std::getline(index, header);
    EXPECT_EQ(header, "file\tpass\tms\tscript\tline");
    ASSERT_TRUE(std::getline(index, row));
    EXPECT_EQ(row.rfind("frame-000001.png\t1\t", 0), 0u) << row;
    EXPECT_NE(row.find("\ta.txt\t0"), std::string::npos) << row;
    EXPECT_FALSE(std::getline(index, row)) << "an unchanged frame is not written again";

    test::RgbaImage frame;
    ASSERT_TRUE(test::readPng(out.path() / "run" / "frame-000001.png", frame));
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.pixels[0] & 0xFFFFFFu, 0xC0C0FFu);

    std::ifstream audio(out.path() / "run" / "audio.wav", std::ios::binary);
    std::string wav((std::istreambuf_iterator<char>(audio)), std::istreambuf_iterator<char>());
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(36, 4), "data");
    std::uint32_t dataBytes = 0;
    std::memcpy(&dataBytes, wav.data() + 40, 4);
    EXPECT_EQ(dataBytes, wav.size() - 44);
}

TEST_F(PlayerTest, EveryCloseSourceEndsWithExitCodeZero) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=a.txt\n");
    game.write("script/a.txt", "hello\r\n");
    EXPECT_EQ(play("pass 2 down escape\npass 3 down escape\n"), 0);
    EXPECT_EQ(platform::headlessIdlePasses(), 1u);
    EXPECT_EQ(play("pass 4 close\npass 4 close\n"), 0);
    EXPECT_EQ(platform::headlessIdlePasses(), 3u);
}

TEST_F(PlayerTest, LosingTheDisplayMidRunClosesTheWindowAtTheNextFrame) {
    game.write("Game.INI", "[GameState]\nDefaultScriptFileName=a.txt\n");
    game.write("script/a.txt", "first page\r\nsecond page\r\n");
    // An unchanged frame is not shown again, so the loss is met when the page turns (after the
    // start-up guard, in which clicks are not taken).
    EXPECT_EQ(play("ms 100 lose-display\nms 400 tap left\nms 4000 close\n"), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(platform::headlessPresentedFrames(), 1u);
    // Ended by the failed frame, long before the close request (some 400 passes in).
    EXPECT_LT(platform::headlessIdlePasses(), 200u);
}

}  // namespace
}  // namespace tsuzuri
