// Finding the pictures folder in a user-dirs.dirs file as xdg-user-dirs writes it.
#include "capture/screenshot.h"

#include <gtest/gtest.h>

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

TEST(PicturesFolderTest, ReadsTheAssignmentWithHomeExpanded) {
    const fs::path home = "/home/reader";
    const std::string dirs =
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
        "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n";
    EXPECT_EQ(picturesFolderFromUserDirs(dirs, home), fs::path("/home/reader/Bilder"));
    EXPECT_EQ(picturesFolderFromUserDirs("XDG_PICTURES_DIR=\"/srv/pics\"\n", home),
              fs::path("/srv/pics"));
    EXPECT_EQ(picturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"\n", home),
              fs::path("/home/reader/My \"Pics\""));
    EXPECT_EQ(picturesFolderFromUserDirs("  XDG_PICTURES_DIR=$HOME/P  # note\n", home),
              fs::path("/home/reader/P"));
}

TEST(PicturesFolderTest, NamesNothingForOtherKeysCommentsAndRelativePaths) {
    const fs::path home = "/home/reader";
    EXPECT_EQ(picturesFolderFromUserDirs("", home), std::nullopt);
    EXPECT_EQ(picturesFolderFromUserDirs("# XDG_PICTURES_DIR=\"$HOME/P\"\n", home), std::nullopt);
    EXPECT_EQ(picturesFolderFromUserDirs("XDG_PICTURES_DIRS=\"$HOME/P\"\n", home), std::nullopt);
    EXPECT_EQ(picturesFolderFromUserDirs("XDG_PICTURES_DIR=\"Pictures\"\n", home), std::nullopt);
    EXPECT_EQ(picturesFolderFromUserDirs("XDG_PICTURES_DIR=\"$HOMEX/P\"\n", home), std::nullopt);
}

}  // namespace
}  // namespace tsuzuri
