// Whole-file reads: the buffer is either the complete file or empty, never something between.
#include "common/file_buffer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

std::string contents(const FileBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.data.get()),
                       static_cast<size_t>(buffer.size));
}

// A buffer that already holds something, to see that every load starts by dropping it.
FileBuffer filledBuffer() {
    FileBuffer buffer;
    buffer.data.reset(new std::uint8_t[3]{1, 2, 3});
    buffer.size = 3;
    buffer.readPos = 2;
    return buffer;
}

void expectEmpty(const FileBuffer& buffer) {
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_EQ(buffer.size, 0);
    EXPECT_EQ(buffer.readPos, 0);
}

TEST(FileBufferTest, ReadsTheWholeFileIncludingNulBytes) {
    TempFolder folder;
    const std::string bytes("a\0b\r\n\x95\x5C", 7);
    FileBuffer buffer = filledBuffer();
    ASSERT_TRUE(loadWholeFile(buffer, folder.write("f.bin", bytes)));
    EXPECT_EQ(contents(buffer), bytes);
    EXPECT_EQ(buffer.readPos, 0);
    releaseFileBuffer(buffer);
    expectEmpty(buffer);
    releaseFileBuffer(buffer);
    expectEmpty(buffer);
}

TEST(FileBufferTest, EmptyFileLoadsWithSizeZero) {
    TempFolder folder;
    FileBuffer buffer = filledBuffer();
    EXPECT_TRUE(loadWholeFile(buffer, folder.write("empty.txt", "")));
    expectEmpty(buffer);
}

TEST(FileBufferTest, MissingDirectoryFifoAndUnreadableFilesFailWithTheBufferEmpty) {
    TempFolder folder;
    fs::create_directories(folder.path() / "dir");
    const fs::path fifo = folder.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {folder.path() / "missing", folder.path() / "dir", fifo}) {
        FileBuffer buffer = filledBuffer();
        EXPECT_FALSE(loadWholeFile(buffer, path)) << path;
        expectEmpty(buffer);
    }
    if (::geteuid() != 0) {  // root reads any file
        const fs::path locked = folder.write("locked", "secret");
        fs::permissions(locked, fs::perms::none);
        FileBuffer buffer = filledBuffer();
        EXPECT_FALSE(loadWholeFile(buffer, locked));
        expectEmpty(buffer);
    }
}

TEST(FileBufferTest, GamePathsAreResolvedLikeEveryOtherGameFile) {
    TempFolder game;
    game.write("script/story.txt", "line");
    fs::create_directories(game.path() / "cg" / "room.bmp");
    FileBuffer buffer = filledBuffer();
    ASSERT_TRUE(loadWholeFile(buffer, GamePath{game.path(), "SCRIPT\\Story.TXT"}));
    EXPECT_EQ(contents(buffer), "line");
    EXPECT_FALSE(loadWholeFile(buffer, GamePath{game.path(), "cg\\room.bmp"}));
    expectEmpty(buffer);
    buffer = filledBuffer();
    EXPECT_FALSE(loadWholeFile(buffer, GamePath{game.path(), "script\\missing.txt"}));
    expectEmpty(buffer);
}

TEST(FileBufferTest, FilesOverTheSizeLimitAreRefusedBeforeReading) {
    TempFolder folder;
    const fs::path ten = folder.write("ten", "0123456789");
    FileBuffer buffer = filledBuffer();
    EXPECT_TRUE(loadWholeFile(buffer, ten, 10));
    EXPECT_EQ(contents(buffer), "0123456789");
    EXPECT_FALSE(loadWholeFile(buffer, ten, 9));
    expectEmpty(buffer);

    // A script just over the text limit (sparse, so the test writes almost nothing).
    const fs::path huge = folder.write("script/huge.txt", "");
    fs::resize_file(huge, std::uintmax_t{kMaxTextFileBytes} + 1);
    buffer = filledBuffer();
    EXPECT_FALSE(
        loadWholeFile(buffer, GamePath{folder.path(), "script\\huge.txt"}, kMaxTextFileBytes));
    expectEmpty(buffer);
}

}  // namespace
}  // namespace tsuzuri
