// The recording's index fields, and claiming a folder for a recording before the run.
#include "capture/recorder.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

TEST(RecorderTest, IndexFieldsEscapeWhatWouldBreakTheColumns) {
    EXPECT_EQ(indexField("start.txt"), "start.txt");
    EXPECT_EQ(indexField("物語.txt"), "物語.txt");
    EXPECT_EQ(indexField("a\tb\r\nc.txt"), "a\\tb\\r\\nc.txt");
    // The backslash itself is escaped, so "\t" written by a name stays apart from a tab.
    EXPECT_EQ(indexField("a\\tb.txt"), "a\\\\tb.txt");
}

TEST(RecorderTest, AClaimWritesBothHeadersAndItsReleaseTakesAllItMade) {
    test::TempFolder temp;
    const fs::path folder = temp.path() / "run";
    std::string error;
    ASSERT_TRUE(claimRecordingFolder(folder, error)) << error;
    EXPECT_EQ(test::readBytes((folder / "index.tsv").string()), "file\tpass\tms\tscript\tline\n");
    const std::string wav = test::readBytes((folder / "audio.wav").string());
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(36, 8), std::string("data\0\0\0\0", 8)) << "no sound counted yet";
    // A player that ends before its story takes away what its claim made, folder and all.
    releaseRecordingFolder();
    EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace tsuzuri
