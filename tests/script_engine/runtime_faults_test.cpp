// Files that change under a running game: each is answered by the failure path of its line
// (a page of text), never by a crash.
#include <filesystem>

#include "script_engine/scene_state.h"
#include "support/scene_fixture.h"

namespace tsuzuri {
namespace {

class RuntimeFaultTest : public test::SceneTest {};

TEST_F(RuntimeFaultTest, MediaRemovedOrReplacedAfterLoadingTurnIntoPages) {
    writePicture("gone.bmp");
    writeSound("gone.wav");
    writeSound("folder.wav");
    setScript({"gone.bmp", "gone.wav", "folder.wav", "next page"});
    ASSERT_EQ(kindOf(0), Image);
    ASSERT_EQ(kindOf(1), SE);
    ASSERT_EQ(kindOf(2), SE);
    // After classification: one picture and one sound vanish, one sound becomes a folder.
    std::filesystem::remove(game.path() / "cg" / "gone.bmp");
    std::filesystem::remove(game.path() / "wave" / "gone.wav");
    std::filesystem::remove(game.path() / "wave" / "folder.wav");
    std::filesystem::create_directories(game.path() / "wave" / "folder.wav");

    step();
    EXPECT_EQ(kindOf(0), Text);
    EXPECT_EQ(currentLine(), 0);
    step(test::kClick);
    step();
    EXPECT_EQ(kindOf(1), Text);
    EXPECT_EQ(sceneState.seChannel, -1);
    step(test::kClick);
    step();
    EXPECT_EQ(kindOf(2), Text);
    step(test::kClick);
    step();
    EXPECT_EQ(currentLine(), 3);
}

TEST_F(RuntimeFaultTest, NextScriptRemovedAfterLoadingTurnsIntoAPage) {
    writeScript("next.txt", {"page"});
    setScript({"next.txt"});
    ASSERT_EQ(kindOf(0), NextScript);
    std::filesystem::remove(game.path() / "script" / "next.txt");
    step();
    EXPECT_EQ(kindOf(0), Text);
    EXPECT_EQ(currentLine(), 0);
}

}  // namespace
}  // namespace tsuzuri
