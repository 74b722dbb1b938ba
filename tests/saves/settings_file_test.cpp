// The settings file: read leniently (blanks, unknown keys, bad and huge values, junk), written
// back over what it held without losing the reader's own lines.
#include "saves/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

TEST(SettingsFileTest, ReadsKeysWithBlanksAndIgnoresWhatItCannotTake) {
    // Written by hand, as a reader would edit it: CR LF, blanks, a comment, an unknown key.
    const std::string text =
        "# mine\r\n volume = 70 \r\nmusic_volume=50\r\neffects_volume=101\r\nmute=1\r\n"
        "scale= fit\r\nauto_base_ms=99999999999999999999\r\nauto_per_char_ms=-5\r\n"
        "skip=read\r\ncopy_pages=yes\r\ntheme=dark\r\njunk line\r\nfullscreen=1";
    std::vector<std::string> problems;
    const SettingsText read = SettingsText::parse(text, problems);
    Settings expected;
    expected.volume = 70;
    expected.musicVolume = 50;
    expected.mute = true;
    expected.scaleToFit = true;
    expected.skip = SkipMode::Read;
    expected.fullscreen = true;
    EXPECT_EQ(read.settings(), expected);
    ASSERT_EQ(problems.size(), 5u) << "effects_volume, auto_base_ms, auto_per_char_ms, "
                                      "copy_pages and the junk line";
    EXPECT_EQ(problems[0], "line 4: '101' is no value for effects_volume; ignored");
    EXPECT_EQ(problems[4], "line 12 is not key=value: 'junk line'");
}

TEST(SettingsFileTest, WritingKeepsTheReadersLinesAndRewritesTheKnownKeysOnce) {
    std::vector<std::string> problems;
    SettingsText read =
        SettingsText::parse("# mine\ntheme=dark\nvolume=70\nvolume=20\nscale=2\n", problems);
    Settings changed = read.settings();
    EXPECT_EQ(changed.volume, 70) << "the first of two lines counts";
    changed.volume = 40;
    changed.scale = 0;
    EXPECT_EQ(read.update(changed),
              "# mine\ntheme=dark\nvolume=40\nmusic_volume=100\neffects_volume=100\nmute=0\n"
              "fullscreen=0\nauto_base_ms=1500\nauto_per_char_ms=60\nskip=all\ncopy_pages=0\n");
    EXPECT_EQ(read.settings(), changed);
}

TEST(SettingsFileTest, DamagedFilesNeverStopTheRunAndAreReplacedWhenWritten) {
    test::TempFolder folder;
    const std::filesystem::path file = folder.path() / "config" / "settings.ini";
    std::vector<std::string> problems;
    EXPECT_EQ(readSettingsFile(file, problems).settings(), Settings{});
    EXPECT_TRUE(problems.empty()) << "a missing file is no problem";

    std::mt19937 random(7);
    const std::string valid = "volume=30\nscale=8\nskip=read\n";
    for (int round = 0; round < 200; ++round) {
        std::string damaged = valid.substr(0, random() % valid.size());
        for (int i = 0; i < round % 5 && !damaged.empty(); ++i) {
            damaged[random() % damaged.size()] = static_cast<char>(random());
        }
        SettingsText::parse(damaged, problems);
    }
    folder.write("config/settings.ini", std::string(100 * 1024, '\xff'));
    problems.clear();
    SettingsText kept = readSettingsFile(file, problems);
    EXPECT_EQ(problems.size(), 1u) << "too large: one line";

    Settings changed;
    changed.volume = 10;
    std::string error;
    ASSERT_TRUE(writeSettingsFile(file, kept, changed, error)) << error;
    problems.clear();
    EXPECT_EQ(readSettingsFile(file, problems).settings(), changed);
    EXPECT_TRUE(problems.empty());
}

}  // namespace
}  // namespace tsuzuri
