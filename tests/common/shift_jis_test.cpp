// Shift-JIS to UTF-8 at the edges: exact for file names, forgiving for what is shown.
#include "common/shift_jis.h"

#include <gtest/gtest.h>

namespace tsuzuri {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

TEST(ShiftJisTest, LeadBytesIncludeA0ButNotHalfWidthKatakana) {
    EXPECT_TRUE(isLeadByte(0x81) && isLeadByte(0xA0) && isLeadByte(0xE0) && isLeadByte(0xFC));
    EXPECT_FALSE(isLeadByte(0x80) || isLeadByte(0xA1) || isLeadByte(0xDF) || isLeadByte(0xFD));
}

TEST(ShiftJisTest, ConvertsValidTextInBothModes) {
    // "表紙.txt": the first character's trail byte is a backslash; ASCII passes unchanged.
    const std::string sjis = "\x95\x5C\x8E\x86.txt \\ ~";
    const std::string utf8 = "\xE8\xA1\xA8\xE7\xB4\x99.txt \\ ~";
    EXPECT_EQ(sjisToUtf8ForDisplay(sjis), utf8);
    EXPECT_EQ(sjisToUtf8Strict(sjis), utf8);
    EXPECT_EQ(sjisToUtf8Strict(""), "");
    // Half-width katakana "ｱ".
    EXPECT_EQ(sjisToUtf8Strict("\xB1"), "\xEF\xBD\xB1");
}

TEST(ShiftJisTest, LoneLeadByteAtTheEndIsReplacedForDisplayAndRejectedWhenStrict) {
    // A value cut inside a two-byte character.
    EXPECT_EQ(sjisToUtf8ForDisplay("ab\x82"), std::string("ab") + kReplacement);
    EXPECT_EQ(sjisToUtf8Strict("ab\x82"), std::nullopt);
}

TEST(ShiftJisTest, InvalidTrailKeepsTheFollowingAsciiByte) {
    // 0x81 followed by '0' or a line feed is no character: only the lead byte is replaced.
    EXPECT_EQ(sjisToUtf8ForDisplay("\x81"
                                   "0ab"),
              std::string(kReplacement) + "0ab");
    EXPECT_EQ(sjisToUtf8ForDisplay("x\x81\ny"), std::string("x") + kReplacement + "\ny");
    EXPECT_EQ(sjisToUtf8Strict("\x81"
                               "0ab"),
              std::nullopt);
    // Bytes that are never valid are replaced one by one and conversion goes on.
    EXPECT_EQ(sjisToUtf8ForDisplay("\xFD\xFE\xFF\x82\xA0"),
              std::string(kReplacement) + kReplacement + kReplacement + "\xE3\x81\x82");
}

TEST(ShiftJisTest, LongInvalidInputNeitherFailsNorLoops) {
    // Longer than the converter's internal chunk, with invalid bytes spread through it.
    std::string sjis;
    std::string expected;
    for (int i = 0; i < 400; ++i) {
        sjis += "\x82\xA0\xFF";
        expected += std::string("\xE3\x81\x82") + kReplacement;
    }
    EXPECT_EQ(sjisToUtf8ForDisplay(sjis), expected);
}

}  // namespace
}  // namespace tsuzuri

namespace tsuzuri {
namespace {

TEST(ShiftJisTest, FileNamesInUtf8OrShiftJisBecomeShiftJis) {
    // 日本.txt in UTF-8 and in Shift-JIS; a character Shift-JIS lacks becomes '?'.
    EXPECT_EQ(fileNameToSjis("\xE6\x97\xA5\xE6\x9C\xAC.txt"), "\x93\xFA\x96\x7B.txt");
    EXPECT_EQ(fileNameToSjis("\x93\xFA\x96\x7B.txt"), "\x93\xFA\x96\x7B.txt");
    EXPECT_EQ(utf8ToSjisForDisplay("a\xF0\x9F\x98\x80z"), "a?z");
    EXPECT_TRUE(isValidUtf8("plain \xC3\xA9"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));      // an overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate
    EXPECT_FALSE(isValidUtf8("\xE6\x97"));      // cut off
}

}  // namespace
}  // namespace tsuzuri
