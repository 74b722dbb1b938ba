// Files written with every write checked: never through something already there, and never
// grown with bytes that were not written.
#include "common/output_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

TEST(OutputFileTest, NeverWritesIntoAFileOrThroughALinkAlreadyThere) {
    test::TempFolder temp;
    const fs::path taken = temp.write("taken", "someone's");
    OutputFile file;
    EXPECT_EQ(file.createNew(taken), EEXIST);
    fs::create_symlink(temp.path() / "target", temp.path() / "link");
    EXPECT_EQ(file.createNew(temp.path() / "link"), EEXIST);
    EXPECT_FALSE(fs::exists(temp.path() / "target"));
    EXPECT_EQ(test::readBytes(taken.string()), "someone's");
}

TEST(OutputFileTest, CountsWhatWasWrittenAndOnlyShrinks) {
    test::TempFolder temp;
    OutputFile file;
    ASSERT_EQ(file.createNew(temp.path() / "out"), 0);
    ASSERT_TRUE(file.append("header|body"));
    EXPECT_EQ(file.size(), 11u);
    EXPECT_FALSE(file.shrinkTo(20)) << "growing would add zeros nobody wrote";
    ASSERT_TRUE(file.shrinkTo(7));
    ASSERT_TRUE(file.append("rest"));
    ASSERT_TRUE(file.overwrite(0, "HEADER"));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(test::readBytes((temp.path() / "out").string()), "HEADER|rest");
    EXPECT_FALSE(file.append("more"));
    EXPECT_EQ(file.reason(), std::strerror(EBADF));
}

}  // namespace
}  // namespace tsuzuri
