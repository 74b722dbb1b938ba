// A page's text as copied: "\n" breaks become line ends, a trail byte 0x5C followed by 'n' is
// no break, and what does not fit on the page is not copied.
#include "ui/page_copy.h"

#include <gtest/gtest.h>

namespace tsuzuri {
namespace {

TEST(PageCopyTest, CopiesTheDrawnTextWithItsWrittenBreaks) {
    // 表n¥n夜: 表 is 0x95 0x5C, so its trail byte and the 'n' after it are no break.
    EXPECT_EQ(pageTextToCopy("\x95\x5Cn\\n\x96\xE9"), "表n\n夜");
    // Four written lines: only three fit, and the fourth is not drawn.
    EXPECT_EQ(pageTextToCopy("one\\ntwo\\nthree\\nfour"), "one\ntwo\nthree");
    const std::string wrapped(58 * 3 + 10, 'x');
    EXPECT_EQ(pageTextToCopy(wrapped), std::string(58 * 3, 'x'));
}

}  // namespace
}  // namespace tsuzuri
