#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tsuzuri {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, PlaysTheCurrentDirectoryOrTheGivenFolder) {
    CommandLine plain = parseCommandLine({});
    EXPECT_EQ(plain.action, Action::Play);
    EXPECT_TRUE(plain.gameFolder.empty());
    EXPECT_FALSE(plain.headless);

    CommandLine folder = parseCommandLine({"games/story"});
    EXPECT_EQ(folder.action, Action::Play);
    EXPECT_EQ(folder.gameFolder, "games/story");

    CommandLine dashFolder = parseCommandLine({"--", "-odd-name"});
    EXPECT_EQ(dashFolder.action, Action::Play);
    EXPECT_EQ(dashFolder.gameFolder, "-odd-name");

    CommandLine menuEntry = parseCommandLine({"--choose-game"});
    EXPECT_EQ(menuEntry.action, Action::Play);
    EXPECT_TRUE(menuEntry.chooseGame);
    EXPECT_TRUE(menuEntry.gameFolder.empty());
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(parseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"game", "--version"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"-h", "--bogus"}).action, Action::Help);
}

TEST(CommandLineTest, HeadlessTakesAnInputScript) {
    CommandLine separate = parseCommandLine({"--headless", "--input", "in.txt", "game"});
    EXPECT_EQ(separate.action, Action::Play);
    EXPECT_TRUE(separate.headless);
    EXPECT_EQ(separate.inputScript, "in.txt");
    EXPECT_EQ(separate.gameFolder, "game");
    EXPECT_EQ(parseCommandLine({"--headless", "--input=x"}).inputScript, "x");
    EXPECT_TRUE(parseCommandLine({"--trace-input"}).traceInput);
    const CommandLine traced = parseCommandLine({"--trace-lines", "game"});
    EXPECT_TRUE(traced.traceLines);
    EXPECT_FALSE(traced.traceInput);
    EXPECT_EQ(traced.gameFolder, "game");
}

TEST(CommandLineTest, UnattendedRunsAndRecording) {
    CommandLine run =
        parseCommandLine({"--autoplay", "--record", "out", "--frames=200", "--seconds", "2.5"});
    EXPECT_EQ(run.action, Action::Play);
    EXPECT_EQ(run.autoplayMs, 1500u);
    EXPECT_EQ(run.recordFolder, "out");
    EXPECT_EQ(run.maxPasses, 200u);
    EXPECT_DOUBLE_EQ(run.maxSeconds, 2.5);
    EXPECT_EQ(parseCommandLine({"--autoplay=300"}).autoplayMs, 300u);
    EXPECT_FALSE(parseCommandLine({}).autoplayMs.has_value());
    EXPECT_EQ(parseCommandLine({"--font=x.ttf"}).fontFile, "x.ttf");
}

TEST(CommandLineTest, CheckAndStartAt) {
    const CommandLine check = parseCommandLine({"--check", "--json", "game"});
    EXPECT_TRUE(check.check);
    EXPECT_TRUE(check.json);
    EXPECT_EQ(check.gameFolder, "game");
    const CommandLine strict =
        parseCommandLine({"--check", "--format=json", "--werror", "--ignore", "a,,b-c,"});
    EXPECT_TRUE(strict.json);
    EXPECT_TRUE(strict.werror);
    EXPECT_EQ(strict.ignoredCodes, (std::vector<std::string>{"a", "b-c"}));
    const CommandLine at = parseCommandLine({"--start-at", "room\\a:b.txt:12"});
    EXPECT_EQ(at.startScript, "room\\a:b.txt");
    EXPECT_EQ(at.startLine, 12);
    const CommandLine printed = parseCommandLine({"--start-at", "game/script/a.txt:12:3"});
    EXPECT_EQ(printed.startScript, "game/script/a.txt");
    EXPECT_EQ(printed.startLine, 12);
    const CommandLine label = parseCommandLine({"--start-at", "a.txt:*shelves"});
    EXPECT_EQ(label.startScript, "a.txt");
    EXPECT_EQ(label.startLabel, "shelves");
    const CommandLine first = parseCommandLine({"--start-at=part2.txt"});
    EXPECT_EQ(first.startScript, "part2.txt");
    EXPECT_EQ(first.startLine, 1);
}

TEST(CommandLineTest, MistakesAreUsageErrors) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"a", "b"},
                                               {"--headless", "--input"},
                                               {"--input", "x"},
                                               {"--input="},
                                               {"--autoplay=0"},
                                               {"--autoplay=fast"},
                                               {"--frames", "0"},
                                               {"--frames=-3"},
                                               {"--seconds", "x"},
                                               {"--record"},
                                               {"--record", "--mute", "game"},
                                               {"--font=--x"},
                                               {"--font"},
                                               {"--json"},
                                               {"--werror"},
                                               {"--ignore", "x"},
                                               {"--check", "--ignore="},
                                               {"--check", "--format", "xml"},
                                               {"--volume", "101"},
                                               {"--music-volume", "-1"},
                                               {"--start-at"},
                                               {"--start-at", "a.txt:0"},
                                               {"--start-at", ":3"},
                                               {"--start-at", "a.txt:12x"},
                                               {"--start-at", "a.txt:*"},
                                               {"--check", "--start-at", "a.txt"},
                                               {"--state-dir"},
                                               {"--continue", "--check"},
                                               {"--continue", "--start-at", "a.txt"}}) {
        CommandLine result = parseCommandLine(arguments);
        EXPECT_EQ(result.action, Action::UsageError) << arguments.front();
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(parseCommandLine({"--record", "--mute"}).error,
              "--record needs a folder, not the option '--mute' (a name starting with -- is "
              "written ./--mute)");
    EXPECT_EQ(parseCommandLine({"--record", "./--mute"}).recordFolder, "./--mute");
}

}  // namespace
}  // namespace tsuzuri
