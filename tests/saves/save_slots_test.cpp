// Saves: what a save file holds comes back exactly; nothing malformed is taken; the automatic
// slots form a ring; a failed write, a link or a story's end never costs a save.
#include "saves/save_slots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

SaveRecord sampleSave(const fs::path& game, std::int32_t line) {
    SaveRecord save;
    save.savedAt = "2026-12-11 08:04:00";
    save.pageText = "\x95\\ and 100%";  // a double-byte character ending in a backslash
    save.place.scriptFile = game / "script" / "start.txt";
    save.place.fileLine = line;
    save.place.bgm = "rain.wav";
    StoryPlace before = save.place;
    before.fileLine = 1;
    before.bgm.clear();
    save.backlog = {ReadPage{{DrawnPage{"Page one\\nsecond line", false}}, -1, before},
                    ReadPage{{DrawnPage{"Which?", true}, DrawnPage{"", false}}, 1, save.place}};
    return save;
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SaveFileTest, ASaveComesBackExactlyAndNothingMalformedIsTaken) {
    const fs::path game = "/games/one";
    const SaveRecord save = sampleSave(game, 7);
    const std::string text = formatSave(save, game);
    SaveRecord read;
    std::string reason;
    ASSERT_TRUE(parseSave(text, game, read, reason)) << reason;
    EXPECT_EQ(formatSave(read, game), text);
    EXPECT_EQ(read.pageText, save.pageText);
    ASSERT_EQ(read.backlog.size(), 2u);
    EXPECT_EQ(read.backlog[1].pickedRow, 1);
    EXPECT_TRUE(read.backlog[1].text[0].skipping);

    for (std::size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(parseSave(text.substr(0, length), game, read, reason)) << length;
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_FALSE(parseSave(text + "junk\n", game, read, reason));
    std::string otherVersion = text;
    otherVersion.replace(otherVersion.find(" 1\n"), 3, " 2\n");
    EXPECT_FALSE(parseSave(otherVersion, game, read, reason));
    EXPECT_NE(reason.find("another version"), std::string::npos) << reason;
}

TEST(SaveSlotsTest, TheAutomaticRingKeepsTheNewestAndAFailedWriteKeepsTheSlot) {
    test::TempFolder folder;
    const fs::path game = folder.path() / "game";
    const SaveSlots slots(folder.path() / "saves", game, "Title");
    const FrameCopy frame;  // no frame: the saves go without thumbnails
    std::string error;
    for (std::int32_t line = 1; line <= 4; ++line) {
        ASSERT_TRUE(slots.writeAutomatic(sampleSave(game, line), frame, error)) << error;
    }
    std::vector<SaveSlot> automatic = slots.automatic();
    ASSERT_EQ(automatic.size(), static_cast<std::size_t>(kAutomaticSlots));
    EXPECT_EQ(automatic[0].save.place.fileLine, 4) << "newest first";
    EXPECT_EQ(automatic[2].save.place.fileLine, 2) << "the oldest went";

    // The story ends: its saves stay, but none is continued from until a newer one.
    ASSERT_TRUE(slots.markStoryEnded(error)) << error;
    EXPECT_EQ(slots.automatic().size(), automatic.size());
    EXPECT_TRUE(slots.continuable().empty());
    ASSERT_TRUE(slots.writeAutomatic(sampleSave(game, 5), frame, error)) << error;
    ASSERT_EQ(slots.continuable().size(), 1u);
    EXPECT_EQ(slots.continuable()[0].save.place.fileLine, 5);

    // A write that cannot be made leaves the slot's save as it was.
    ASSERT_TRUE(slots.write(kQuickSlot, sampleSave(game, 9), frame, error)) << error;
    const fs::path quick = slots.folder() / "quick.save";
    fs::create_directory(atomicTempPath(quick));
    EXPECT_FALSE(slots.write(kQuickSlot, sampleSave(game, 10), frame, error));
    EXPECT_EQ(slots.read(kQuickSlot).save.place.fileLine, 9);
    fs::remove(atomicTempPath(quick));

    // A slot that is a link is unusable and is not written through.
    const fs::path elsewhere = folder.path() / "elsewhere.save";
    std::ofstream(elsewhere) << fileText(quick);
    fs::remove(quick);
    fs::create_symlink(elsewhere, quick);
    EXPECT_EQ(slots.read(kQuickSlot).state, SaveSlot::State::Unusable);
    EXPECT_EQ(slots.read(kQuickSlot).problem, "it is a link");
    ASSERT_TRUE(slots.write(kQuickSlot, sampleSave(game, 11), frame, error)) << error;
    EXPECT_FALSE(fs::is_symlink(quick));
    EXPECT_EQ(slots.read(kQuickSlot).save.place.fileLine, 11);
    SaveRecord untouched;
    std::string reason;
    EXPECT_TRUE(parseSave(fileText(elsewhere), game, untouched, reason));
    EXPECT_EQ(untouched.place.fileLine, 9);
}

TEST(SaveSlotsTest, SaveTimesComeFromSourceDateEpochWhenSet) {
    ::setenv("SOURCE_DATE_EPOCH", "1765440000", 1);  // 2025-12-11 08:00:00 UTC
    EXPECT_EQ(saveTimeNow(61'500), "2025-12-11 08:01:01");
    ::unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
}  // namespace tsuzuri
