// The remembered place: its file format, read strictly, and its files, replaced atomically.
#include "saves/remembered_place.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/atomic_file.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

StoryPlace samplePlace(const fs::path& game) {
    StoryPlace place;
    place.scriptFile = game / "script" / "sub dir" / "start.txt";
    place.fileLine = 12;
    place.windowShown = false;
    place.picture = "\x94\x77\x8C\x69 100%.png";  // 背景 100%.png, in Shift-JIS
    place.bgm = "\x95\x5C.wav";                   // 表.wav: a second byte 0x5C
    place.loopSe = "";
    place.loopWao = "rain\tloop.wao";
    return place;
}

void expectSamePlace(const StoryPlace& a, const StoryPlace& b) {
    EXPECT_EQ(a.scriptFile, b.scriptFile);
    EXPECT_EQ(a.fileLine, b.fileLine);
    EXPECT_EQ(a.windowShown, b.windowShown);
    EXPECT_EQ(a.picture, b.picture);
    EXPECT_EQ(a.bgm, b.bgm);
    EXPECT_EQ(a.loopSe, b.loopSe);
    EXPECT_EQ(a.loopWao, b.loopWao);
}

TEST(RememberedPlaceTest, TheTextKeepsEveryByteAndNothingMalformedIsTaken) {
    const fs::path game = "/games/my game";
    const StoryPlace place = samplePlace(game);
    const std::string text = formatPlace(place, game);
    EXPECT_NE(text.find("\nscript script/sub%20dir/start.txt\n"), std::string::npos) << text;
    StoryPlace read;
    std::string reason;
    ASSERT_TRUE(parsePlace(text, game, read, reason)) << reason;
    expectSamePlace(read, place);

    // A script outside the game folder is kept by its absolute path.
    StoryPlace outside = place;
    outside.scriptFile = "/elsewhere/start.txt";
    ASSERT_TRUE(parsePlace(formatPlace(outside, game), game, read, reason)) << reason;
    EXPECT_EQ(read.scriptFile, outside.scriptFile);

    // Cut at every length, the file is refused with a reason (and never half taken).
    for (size_t length = 0; length < text.size(); ++length) {
        reason.clear();
        EXPECT_FALSE(parsePlace(text.substr(0, length), game, read, reason)) << length;
        EXPECT_FALSE(reason.empty()) << length;
    }
    std::string other = text;
    other.replace(text.find(" 1\n"), 3, " 2\n");
    EXPECT_FALSE(parsePlace(other, game, read, reason));
    EXPECT_NE(reason.find("another version"), std::string::npos) << reason;

    // Junk, and the real text with any one byte changed: a place or a reason, never a crash.
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string junk = text;
        if (round < 1000) {
            junk.resize(random() % 300);
            for (char& c : junk) {
                c = static_cast<char>(random());
            }
        } else {
            junk[random() % junk.size()] = static_cast<char>(random());
        }
        reason.clear();
        if (!parsePlace(junk, game, read, reason)) {
            EXPECT_FALSE(reason.empty());
        }
    }
}

TEST(RememberedPlaceTest, AFailedWriteKeepsThePreviousPlace) {
    test::TempFolder folder;
    const fs::path state = folder.path() / "state";
    const fs::path game = folder.path() / "game";
    fs::create_directories(game);
    StoryPlace first = samplePlace(game);
    std::string error;
    ASSERT_TRUE(rememberPlace(state, game, "Title", first, error)) << error;
    EXPECT_EQ(lastGameFolder(state), game);

    // The temporary file cannot be made: the new place is not written, the old one stays.
    const fs::path file = state / placeFileName(game, "Title");
    fs::create_directory(atomicTempPath(file));
    StoryPlace second = first;
    second.fileLine = 30;
    EXPECT_FALSE(rememberPlace(state, game, "Title", second, error));
    EXPECT_FALSE(error.empty());
    StoryPlace read;
    std::string reason;
    ASSERT_EQ(recallPlace(state, game, "Title", read, reason), RecalledPlace::Found) << reason;
    EXPECT_EQ(read.fileLine, 12);
    fs::remove(atomicTempPath(file));

    ASSERT_TRUE(rememberPlace(state, game, "Title", second, error)) << error;
    ASSERT_EQ(recallPlace(state, game, "Title", read, reason), RecalledPlace::Found) << reason;
    EXPECT_EQ(read.fileLine, 30);
    EXPECT_EQ(std::distance(fs::directory_iterator(state), fs::directory_iterator()), 2)
        << "only the place and last-game remain";
    EXPECT_EQ(recallPlace(state, game, "Other title", read, reason), RecalledPlace::None);

    folder.write("state/" + placeFileName(game, "Title"), "tsuzuri-place 1\n\xff");
    EXPECT_EQ(recallPlace(state, game, "Title", read, reason), RecalledPlace::Unusable);
    forgetPlace(state, game, "Title");
    EXPECT_EQ(recallPlace(state, game, "Title", read, reason), RecalledPlace::None);
}

}  // namespace
}  // namespace tsuzuri
