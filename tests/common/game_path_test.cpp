// Mapping the Shift-JIS, backslash-separated, case-blind names of Windows games onto files here.
#include "common/game_path.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

// "表紙" in Shift-JIS (its first trail byte is 0x5C) and in UTF-8.
const std::string kCoverSjis = "\x95\x5C\x8E\x86";
const std::string kCoverUtf8 = "\xE8\xA1\xA8\xE7\xB4\x99";

using Components = std::vector<std::string>;

TEST(GamePathTest, SplitsAtSeparatorsButNotAtTrailBytes) {
    EXPECT_EQ(splitSjisName("room\\night.bmp"), (Components{"room", "night.bmp"}));
    EXPECT_EQ(splitSjisName(kCoverSjis + ".txt"), (Components{kCoverSjis + ".txt"}));
    EXPECT_EQ(splitSjisName("sub\\" + kCoverSjis + "\\a.txt"),
              (Components{"sub", kCoverSjis, "a.txt"}));
    // Doubled, leading and trailing separators give no empty components, so a name cannot
    // become absolute; a slash separates as on Windows.
    EXPECT_EQ(splitSjisName("\\\\a\\\\b/c\\"), (Components{"a", "b", "c"}));
    EXPECT_EQ(splitSjisName(""), Components{});
}

TEST(GamePathTest, PlausiblePathConvertsEachComponentOrKeepsItsBytes) {
    EXPECT_EQ(plausibleNativePath({"/g", "cg\\" + kCoverSjis + ".bmp"}),
              fs::path("/g/cg/" + kCoverUtf8 + ".bmp"));
    // 0x81 0x30 is not Shift-JIS: the component stays as it was.
    EXPECT_EQ(plausibleNativePath({"/g", "a\\\x81\x30"}), fs::path("/g/a/\x81\x30"));
}

class ResolveGameFileTest : public ::testing::Test {
protected:
    std::optional<fs::path> resolve(const std::string& name) const {
        return resolveGameFile({game.path(), name});
    }
    TempFolder game;
};

TEST_F(ResolveGameFileTest, FindsTrailByteNamesStoredInUtf8) {
    const fs::path file = game.write("script/" + kCoverUtf8 + ".txt", "x");
    game.write(kCoverUtf8 + "/" + kCoverUtf8 + ".bmp", "x");
    EXPECT_EQ(resolve("script\\" + kCoverSjis + ".txt"), file);
    EXPECT_TRUE(gameFileExists({game.path(), kCoverSjis + "\\" + kCoverSjis + ".bmp"}));
}

TEST_F(ResolveGameFileTest, FindsNamesStoredAsRawShiftJisBytes) {
    const fs::path file = game.write("wave/" + kCoverSjis + ".wav", "x");
    EXPECT_EQ(resolve("wave\\" + kCoverSjis + ".wav"), file);
    // Invalid Shift-JIS has no UTF-8 spelling and is looked up by its bytes alone.
    const fs::path odd = game.write("wave/\x81\x30.wav", "x");
    EXPECT_EQ(resolve("wave\\\x81\x30.wav"), odd);
}

TEST_F(ResolveGameFileTest, IgnoresAsciiCaseComponentByComponent) {
    const fs::path night = game.write("cg/room/night.bmp", "x");
    EXPECT_EQ(resolve("CG\\ROOM\\Night.BMP"), night);
    EXPECT_EQ(resolve("cg/room\\night.bmp"), night);
    // Case is ignored after non-ASCII characters too, in either spelling on disk.
    const fs::path utf8 = game.write("cg/" + kCoverUtf8 + "/" + kCoverUtf8 + "a.bmp", "x");
    EXPECT_EQ(resolve("cg\\" + kCoverSjis + "\\" + kCoverSjis + "A.BMP"), utf8);
    const fs::path raw = game.write("cg/raw/\x83\x41.bmp", "x");  // "ア" in raw bytes
    EXPECT_EQ(resolve("Cg\\RAW\\\x83\x41.BMP"), raw);
}

TEST_F(ResolveGameFileTest, CaseBlindMatchLeavesTrailBytesAlone) {
    // 0x83 0x41 is "ア" and 0x83 0x61 is "モ": their trail bytes are 'A' and 'a', yet they
    // are different characters and must not find each other's file.
    game.write("cg/\x83\x41.bmp", "x");
    EXPECT_EQ(resolve("cg\\\x83\x61.bmp"), std::nullopt);
    EXPECT_EQ(resolve("CG\\\x83\x61.BMP"), std::nullopt);
}

TEST_F(ResolveGameFileTest, OnlyRegularFilesCount) {
    fs::create_directories(game.path() / "cg" / "room.bmp");
    ASSERT_EQ(::mkfifo((game.path() / "cg" / "pipe.bmp").c_str(), 0600), 0);
    fs::create_symlink(game.write("cg/real.bmp", "x"), game.path() / "cg" / "link.bmp");
    EXPECT_EQ(resolve("cg\\room.bmp"), std::nullopt);
    EXPECT_EQ(resolve("CG\\ROOM.BMP"), std::nullopt);
    EXPECT_EQ(resolve("cg\\pipe.bmp"), std::nullopt);
    EXPECT_EQ(resolve("cg\\missing.bmp"), std::nullopt);
    EXPECT_EQ(resolve("nowhere\\missing.bmp"), std::nullopt);
    EXPECT_TRUE(gameFileExists({game.path(), "cg\\link.bmp"}));
    EXPECT_FALSE(gameFileExists({game.path(), "cg"}));
}

// A game reads only its own files: ".." that climbs out of the game folder, or a symbolic link
// that leads out of it, finds nothing; inside the folder both still work.
TEST_F(ResolveGameFileTest, NeverLeavesTheGameFolder) {
    const TempFolder outside;
    const fs::path secret = outside.write("secret.txt", "x");
    const fs::path game2 = game.path() / "game";
    const fs::path own = game.write("game/cg/bg.bmp", "x");
    fs::create_directories(game2 / "script");
    fs::create_symlink(secret, game2 / "script" / "leak.txt");
    fs::create_symlink(own, game2 / "script" / "near.txt");
    game.write("shared.txt", "x");
    const std::optional<fs::path> inside = resolveGameFile({game2, "script\\..\\cg\\bg.bmp"});
    ASSERT_TRUE(inside.has_value());
    EXPECT_EQ(fs::weakly_canonical(*inside), fs::weakly_canonical(own));
    EXPECT_EQ(resolveGameFile({game2, "script\\..\\..\\shared.txt"}), std::nullopt);
    EXPECT_FALSE(gameFileExists({game2, "..\\shared.txt"}));
    EXPECT_EQ(resolveGameFile({game2, "script\\leak.txt"}), std::nullopt);
    EXPECT_EQ(resolveGameFile({game2, "script\\near.txt"}), game2 / "script" / "near.txt");
    {
        const FolderListingScope scope;
        EXPECT_FALSE(gameFileExists({game2, "cg\\..\\..\\shared.txt"}));
        EXPECT_EQ(resolveGameFile({game2, "script\\leak.txt"}), std::nullopt);
    }
}

TEST_F(ResolveGameFileTest, NameEndsAsWindowsOpensIt) {
    const fs::path bg = game.write("cg/bg.bmp", "x");
    const fs::path spaced = game.write("cg/odd.bmp ", "x");
    game.write("cg/odd.bmp", "x");
    const fs::path cover = game.write("cg/\xE8\xA1\xA8", "x");  // "表", 0x95 0x5C in Shift-JIS
    for (const bool scoped : {false, true}) {
        std::optional<FolderListingScope> scope;
        if (scoped) {
            scope.emplace();
        }
        // Spaces and dots at the end are dropped, after the name as written has had its turn.
        EXPECT_EQ(resolve("cg\\bg.bmp "), bg);
        EXPECT_EQ(resolve("CG\\Bg.Bmp. . "), bg);
        EXPECT_EQ(resolve("cg\\odd.bmp "), spaced);
        EXPECT_EQ(resolve("cg\\bg.bmp\t"), std::nullopt);  // a tab is kept
        // A name ending in a separator names a folder, but a trail byte 0x5C is no separator.
        EXPECT_EQ(resolve("cg\\bg.bmp\\"), std::nullopt);
        EXPECT_EQ(resolve("cg\\bg.bmp/"), std::nullopt);
        EXPECT_EQ(resolve("cg\\bg.bmp\\ "), std::nullopt);
        EXPECT_EQ(resolve("cg\\\x95\x5C"), cover);
        // Names of dots only stay folders.
        EXPECT_EQ(resolve("cg\\bg.bmp\\.."), std::nullopt);
        EXPECT_EQ(resolve("cg\\bg.bmp\\.. "), std::nullopt);
        EXPECT_EQ(resolve("cg\\... "), std::nullopt);
        EXPECT_TRUE(gameFileExists(game.path(), "cg\\bg.bmp. "));
        EXPECT_FALSE(gameFileExists(game.path(), "cg\\bg.bmp\\"));
    }
}

TEST_F(ResolveGameFileTest, ListingScopeGivesTheSameAnswersAndEndsWithIt) {
    const fs::path night = game.write("cg/room/night.bmp", "x");
    {
        FolderListingScope outer;
        FolderListingScope inner;
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(resolve("CG\\Room\\NIGHT.bmp"), night);
            EXPECT_EQ(resolve("cg\\room\\day.bmp"), std::nullopt);
            EXPECT_EQ(resolve("cg\\room"), std::nullopt);
        }
        // A listing is a snapshot taken when the folder is first looked in.
        game.write("cg/room/day.bmp", "x");
        EXPECT_EQ(resolve("cg\\room\\day.bmp"), std::nullopt);
    }
    // Once the last scope has closed, folders are read afresh.
    const fs::path dawn = game.write("cg/room/dawn.bmp", "x");
    EXPECT_EQ(resolve("CG\\ROOM\\DAWN.BMP"), dawn);
}

TEST_F(ResolveGameFileTest, ListingScopeFindsEverySpellingInSeveralGames) {
    // Spellings whose length on disk differs from the name's (UTF-8 is longer than Shift-JIS),
    // case-blind matches, and a second game asked in turn with the first.
    TempFolder other;
    game.write("script/" + kCoverUtf8 + ".txt", "x");
    game.write("wave/" + kCoverSjis + ".wav", "x");
    game.write("cg/" + kCoverUtf8 + "/" + kCoverUtf8 + "a.bmp", "x");
    game.write("cg/Room/Night.bmp", "x");
    other.write("cg/a.bmp", "x");
    const std::vector<std::pair<const TempFolder*, std::string>> lookups = {
        {&game, "script\\" + kCoverSjis + ".txt"},
        {&other, "cg\\a.bmp"},
        {&game, "wave\\" + kCoverSjis + ".wav"},
        {&game, "cg\\" + kCoverSjis + "\\" + kCoverSjis + "A.BMP"},
        {&other, "CG\\A.BMP"},
        {&game, "cg\\room\\night.bmp"},
        {&game, "cg\\a.bmp"},
        {&other, "cg\\room\\night.bmp"},
        {&game, "cg\\..\\cg\\Room\\night.BMP"},
        {&game, "A line of story text, longer than any name in the folder"},
    };
    std::vector<std::optional<fs::path>> fresh;
    for (const auto& [folder, name] : lookups) {
        fresh.push_back(resolveGameFile({folder->path(), name}));
    }
    EXPECT_EQ(std::count(fresh.begin(), fresh.end(), std::nullopt), 3);
    FolderListingScope scope;
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < lookups.size(); ++i) {
            const auto& [folder, name] = lookups[i];
            EXPECT_EQ(resolveGameFile({folder->path(), name}), fresh[i]) << name;
            EXPECT_EQ(gameFileExists(folder->path(), name), fresh[i].has_value()) << name;
        }
    }
}

TEST_F(ResolveGameFileTest, ListingScopeServesOnlyItsOwnThread) {
    FolderListingScope scope;
    EXPECT_EQ(resolve("cg\\day.bmp"), std::nullopt);
    const fs::path day = game.write("cg/day.bmp", "x");
    // This thread keeps its snapshot; another thread looks at the disk as it is now.
    EXPECT_EQ(resolve("cg\\day.bmp"), std::nullopt);
    std::optional<fs::path> seenElsewhere;
    std::thread([&] { seenElsewhere = resolve("cg\\day.bmp"); }).join();
    EXPECT_EQ(seenElsewhere, day);
}

}  // namespace
}  // namespace tsuzuri
