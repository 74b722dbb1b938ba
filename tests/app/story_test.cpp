// Whole stories run by the player on the headless backend: how a story ends the program, and
// that a story caught in an endless cycle still draws and still quits on Escape.
#include <gtest/gtest.h>

#include <string>

#include "app/player.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "support/engine_calls.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

class StoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        env.set("SDL_AUDIODRIVER", "dummy");
        game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=start.txt\r\n");
    }
    void TearDown() override { platform::selectBackend(platform::Backend::Sdl); }

    void writeStart(const std::string& lines) { game.write("script/start.txt", lines); }
    void writeSound(const std::string& name) {
        test::WavSpec spec;
        spec.samples = std::string(800, '\x90');
        game.write("wave/" + name, test::buildWav(spec));
    }

    void play(const std::string& input) {
        platform::ScriptedInput events;
        std::string error;
        ASSERT_TRUE(platform::parseScriptedInput(input, "test", events, error)) << error;
        platform::setHeadlessInput(events);
        test::CurrentDirectory inGame(game.path());
        EXPECT_EQ(runPlayer(), 0);
    }

    test::TempFolder game;
    test::ScopedEnv env;
};

TEST_F(StoryTest, PicturesAndSoundsAloneCloseTheProgramAfterTheFirstPass) {
    test::EngineCallLog calls;
    calls.fakePictures(true);  // whichever picture formats can be read, these files show
    game.write("cg/bg.bmp", "picture");
    game.write("cg/room/night.bmp", "picture");
    writeSound("se.wav");
    writeSound("rain.wav");
    writeStart("bg.bmp\r\nse.wav\r\n*rain.wav\r\nroom\\night.bmp\r\n#se.wav\r\n");
    play("pass 100 tap escape\n");
    EXPECT_EQ(platform::headlessIdlePasses(), 1u) << "all five lines ran in the first step";
    EXPECT_TRUE(platform::headlessMessageLog().empty());
}

TEST_F(StoryTest, EndlessJumpCycleStillDrawsAndQuitsOnEscape) {
    writeStart("\\\\top\r\n// round and round\r\n\\top\r\n");
    play("pass 3 tap escape\n");
    EXPECT_EQ(platform::headlessIdlePasses(), 2u);
    EXPECT_GE(platform::headlessPresentedFrames(), 1u);
}

TEST_F(StoryTest, ScriptThatNamesItselfStillQuitsOnEscape) {
    writeStart("start.txt\r\n");
    play("pass 2 tap escape\n");
    EXPECT_EQ(platform::headlessIdlePasses(), 1u);
}

}  // namespace
}  // namespace tsuzuri
