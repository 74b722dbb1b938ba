// Reading Game.INI the way the games expect: names without regard to case, blanks and
// quotation marks dropped, values cut to 511 bytes, defaults for anything missing.
#include "app/game_settings.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

using test::CurrentDirectory;
using test::TempFolder;

TEST(ProfileValueTest, FindsKeysWithoutRegardToCaseAndTrimsBlanks) {
    const std::string ini =
        "; settings\r\n"
        "[Other]\r\n"
        "WindowTitle=wrong section\r\n"
        "[ gamestate ]\r\n"
        "  windowtitle  =   My Story  \t\r\n"
        "DefaultScriptFileName=start.txt\r\n";
    EXPECT_EQ(findProfileValue(ini, "GameState", "WindowTitle"), "My Story");
    EXPECT_EQ(findProfileValue(ini, "GameState", "DefaultScriptFileName"), "start.txt");
    EXPECT_EQ(findProfileValue(ini, "GameState", "Missing"), std::nullopt);
    EXPECT_EQ(findProfileValue(ini, "Absent", "WindowTitle"), std::nullopt);
}

TEST(ProfileValueTest, DropsOnePairOfMatchingQuotes) {
    EXPECT_EQ(findProfileValue("[s]\nk=\"a b\"\n", "s", "k"), "a b");
    EXPECT_EQ(findProfileValue("[s]\nk='a'\n", "s", "k"), "a");
    EXPECT_EQ(findProfileValue("[s]\nk=\"a\n", "s", "k"), "\"a");
    EXPECT_EQ(findProfileValue("[s]\nk=\"\"x\"\"\n", "s", "k"), "\"x\"");
    EXPECT_EQ(findProfileValue("[s]\nk=\n", "s", "k"), "");
}

TEST(ProfileValueTest, TakesTheFirstKeyOfTheFirstSectionAndAnyLineEnd) {
    EXPECT_EQ(findProfileValue("[s]\nk=1\nk=2\n[s]\nk=3\n", "s", "k"), "1");
    EXPECT_EQ(findProfileValue("[s]\rk=cr only\r", "s", "k"), "cr only");
    EXPECT_EQ(findProfileValue("\xEF\xBB\xBF[s]\nk=v", "s", "k"), "v");
    EXPECT_EQ(findProfileValue("[s]\nno equals sign\nk=a=b\n", "s", "k"), "a=b");
}

TEST(ReadGameSettingTest, ReadsGameIniInTheCurrentDirectory) {
    TempFolder game;
    // Shift-JIS title: the bytes pass through unchanged.
    game.write("Game.INI", "[GameState]\r\nWindowTitle=\x83\x65\x83\x58\x83\x67\r\n");
    CurrentDirectory inGame(game.path());
    std::string value;
    EXPECT_TRUE(readGameSetting("WindowTitle", "", value));
    EXPECT_EQ(value, "\x83\x65\x83\x58\x83\x67");
    EXPECT_TRUE(readGameSetting("DefaultScriptFileName", "", value));
    EXPECT_EQ(value, "");
}

TEST(ReadGameSettingTest, MissingFileGivesTheDefaultAndLongValuesAreCut) {
    TempFolder game;
    {
        CurrentDirectory inGame(game.path());
        std::string value = "stale";
        EXPECT_TRUE(readGameSetting("WindowTitle", "", value));
        EXPECT_EQ(value, "");
    }
    // A file beside the game in a differently cased name is found too.
    game.write("game.ini", "[GameState]\nWindowTitle=" + std::string(600, 'x') + "\n");
    CurrentDirectory inGame(game.path());
    std::string value;
    readGameSetting("WindowTitle", "", value);
    EXPECT_EQ(value, std::string(511, 'x'));
}

TEST(ReadGameSettingTest, AFolderNamedGameIniIsNoSettingsFile) {
    TempFolder game;
    std::filesystem::create_directories(game.path() / "Game.INI");
    CurrentDirectory inGame(game.path());
    std::string value = "stale";
    readGameSetting("WindowTitle", "", value);
    EXPECT_EQ(value, "");
}

}  // namespace
}  // namespace tsuzuri
