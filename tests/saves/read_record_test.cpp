// The record of read pages: runs of lines kept per script, its text read strictly, and a
// record of a large game that stays small.
#include "saves/read_record.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

TEST(ReadRecordTest, LinesShownBecomeRunsThatReadBackTheSame) {
    ReadLines lines;
    for (std::int32_t line : {5, 3, 4, 9, 1, 8, 10, 0, -2, ReadLines::kMaxFileLine + 1}) {
        lines.mark("script/start.txt", line);
    }
    lines.mark("script/\x8F\xCD 2.txt", 7);  // 章 2.txt, in Shift-JIS
    EXPECT_EQ(lines.changes(), 8u) << "lines out of range are not kept";
    EXPECT_EQ(formatReadRecord(lines),
              "tsuzuri-read 1\nscript script/start.txt\nlines 1 3-5 8-10\n"
              "script script/%8F%CD%202.txt\nlines 7\n");
    EXPECT_TRUE(lines.contains("script/start.txt", 4));
    EXPECT_FALSE(lines.contains("script/start.txt", 6));
    EXPECT_FALSE(lines.contains("script/other.txt", 4));

    ReadLines back;
    std::string reason;
    ASSERT_TRUE(parseReadRecord(formatReadRecord(lines), back, reason)) << reason;
    EXPECT_EQ(back.runs(), lines.runs());
    EXPECT_EQ(back.changes(), 0u) << "what was read back is no change";
}

TEST(ReadRecordTest, DamagedRecordsAreRefusedWhole) {
    const std::string valid = "tsuzuri-read 1\nscript a.txt\nlines 1-3 7\nscript b.txt\nlines 2\n";
    for (std::size_t cut = 1; cut < valid.size(); ++cut) {
        ReadLines lines;
        std::string reason;
        const bool taken = parseReadRecord(valid.substr(0, cut), lines, reason);
        // A cut after the version line reads as nothing read; any other cut that reads keeps
        // a whole pair (a cut inside the last number reads as a shorter one).
        if (taken && cut > 15) {
            EXPECT_TRUE(lines.contains("a.txt", 1)) << cut;
        }
    }
    for (const char* damaged :
         {"tsuzuri-read 2\n", "tsuzuri-read 1\nscript a.txt\nlines 3-1\n",
          "tsuzuri-read 1\nscript a.txt\nlines 5 2\n", "tsuzuri-read 1\nscript a.txt\nlines 1-x\n",
          "tsuzuri-read 1\nscript a.txt\nlines 99999999999\n",
          "tsuzuri-read 1\nscript a.txt\nlines 1\nscript a.txt\nlines 2\n", "\x89PNG\r\n"}) {
        ReadLines lines;
        std::string reason;
        EXPECT_FALSE(parseReadRecord(damaged, lines, reason)) << damaged;
        EXPECT_FALSE(reason.empty());
    }
}

TEST(ReadRecordTest, ALargeGameReadToTheEndKeepsASmallRecord) {
    test::TempFolder folder;
    ReadLines lines;
    for (std::int32_t line = 1; line <= 100'000; line += (line % 7 == 0 ? 2 : 1)) {
        lines.mark("script/long.txt", line);  // every page but one in eight lines
    }
    const auto file = folder.path() / "state" / "game-0123456789abcdef.read";
    std::string error;
    ASSERT_TRUE(keepReadRecord(file, lines, error)) << error;
    EXPECT_LT(std::filesystem::file_size(file), 200'000u);
    ReadLines back;
    ASSERT_TRUE(loadReadRecord(file, back, error)) << error;
    EXPECT_EQ(back.runs(), lines.runs());

    folder.write("state/game-0123456789abcdef.read", "tsuzuri-read 1\nscript");
    EXPECT_FALSE(loadReadRecord(file, back, error));
    EXPECT_TRUE(back.runs().empty()) << "a damaged record counts as nothing read";
}

}  // namespace
}  // namespace tsuzuri
