// Script files: cutting lines, deciding each line's kind from the game's folders, the game
// folder a script path gives, and label lookup.
#include "script_engine/script_file.h"

#include <sys/stat.h>

#include <cstring>

#include <gtest/gtest.h>

#include "script_engine/scene_state.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

using test::CurrentDirectory;
using test::TempFolder;
namespace fs = std::filesystem;

// "表紙" in Shift-JIS (its first trail byte is 0x5C) and in UTF-8.
const std::string kCoverSjis = "\x95\x5C\x8E\x86";
const std::string kCoverUtf8 = "\xE8\xA1\xA8\xE7\xB4\x99";

FileBuffer bufferOf(const std::string& bytes) {
    FileBuffer buffer;
    buffer.data.reset(new std::uint8_t[bytes.size()]);
    std::memcpy(buffer.data.get(), bytes.data(), bytes.size());
    buffer.size = static_cast<std::int32_t>(bytes.size());
    return buffer;
}

// Every line readScriptLine gives, empty ones included, until the buffer is used up.
std::vector<std::string> cutLines(const std::string& bytes) {
    FileBuffer buffer = bufferOf(bytes);
    std::vector<std::string> lines;
    while (buffer.readPos < buffer.size) {
        char out[kMaxLineBytes + 1] = {};
        const int length = readScriptLine(buffer, out);
        lines.emplace_back(out, static_cast<size_t>(length));
    }
    EXPECT_EQ(buffer.readPos, buffer.size);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadScriptLineTest, EndsLinesOnlyAtCrLfAndLfCr) {
    EXPECT_EQ(cutLines("a\r\nb\n\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(cutLines("a\nb\nc\n"), (Lines{"a\nb\nc\n"}));
    EXPECT_EQ(cutLines("a\rb\r\nc\r"), (Lines{"a\rb", "c\r"}));
    EXPECT_EQ(cutLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    // Pairs are taken from the left: LF CR ends "a", and the LF after it starts the next line.
    EXPECT_EQ(cutLines("a\n\r\nb"), (Lines{"a", "\nb"}));
    EXPECT_EQ(cutLines("a\r\nlast"), (Lines{"a", "last"}));
    EXPECT_EQ(cutLines("a\r\n"), (Lines{"a"}));
}

TEST(ReadScriptLineTest, CutsLongLinesAndSkipsTheRest) {
    const std::string longLine(1500, 'x');
    FileBuffer buffer = bufferOf(std::string(1023, 'y') + "\r\n" + longLine + "\r\nnext");
    char out[1100];
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(readScriptLine(buffer, out), 1023);
    EXPECT_EQ(buffer.readPos, 1025);

    std::memset(out, 0, sizeof out);
    std::memset(out + kMaxLineBytes, '#', sizeof out - kMaxLineBytes);
    EXPECT_EQ(readScriptLine(buffer, out), kMaxLineBytes);
    EXPECT_EQ(std::string(out, kMaxLineBytes), longLine.substr(0, kMaxLineBytes));
    EXPECT_EQ(out[kMaxLineBytes], '#');  // nothing written past the cut
    EXPECT_EQ(buffer.readPos, 1025 + 1500 + 2);

    std::memset(out, 0, sizeof out);
    EXPECT_EQ(readScriptLine(buffer, out), 4);
    EXPECT_STREQ(out, "next");
    // A file without line ends is one line, cut the same way.
    EXPECT_EQ(cutLines(std::string(600, 'a') + "\n" + std::string(600, 'b')),
              (Lines{std::string(600, 'a') + "\n" + std::string(422, 'b')}));
}

// A game folder with the three media folders, set as the current game.
class ScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        sceneState = SceneState{};
        for (const char* sub : {"cg", "wave", "script"}) {
            fs::create_directories(game.path() / sub);
        }
        sceneState.gameFolder = game.path();
    }
    void TearDown() override { sceneState = SceneState{}; }

    bool load(const std::string& name, const std::string& bytes) {
        game.write("script/" + name, bytes);
        return loadScript(sceneState, {game.path(), "script\\" + name});
    }
    Lines storedTexts() const {
        Lines texts;
        for (const auto& line : sceneState.lines) {
            texts.push_back(line->text);
        }
        return texts;
    }

    TempFolder game;
    SceneState sceneState;
};

TEST_F(ScriptFileTest, CommentsShortLinesAndKeywords) {
    game.write("cg/abcd", "x");
    game.write("cg/// note", "x");
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "// note"), Comment);
    // Four bytes or fewer are never looked up as files.
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "abcd"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "\\\\ab"), Label);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "\\\\"), Label);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "\\ab"), Jump);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "choices"), Choices);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "choicesA\\nB"), Choices);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "choice"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "Choices"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "flash"), Flash);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "flash "), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "StopBGM"), StopBGM);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "StopLoopSE"), StopLoopSE);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "StopLoopWao"), StopLoopWao);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "stopbgm"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "StopBGM "), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "     "), Text);
}

TEST_F(ScriptFileTest, FilesInCgComeFirst) {
    for (const char* sub : {"cg", "wave", "script"}) {
        game.write(fs::path(sub) / "flash", "x");
        game.write(fs::path(sub) / "both.wav", "x");
        game.write(fs::path(sub) / "choices.bmp", "x");
    }
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "flash"), Image);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "flash "),
              Image);  // opened without its trailing space
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "both.wav"), Image);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "choices.bmp"), Image);
    game.write("cg/room/night.bmp", "x");
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "ROOM\\Night.BMP"), Image);
}

TEST_F(ScriptFileTest, WaveFilesByPrefixAndEnding) {
    game.write("wave/theme.ogg", "x");
    game.write("wave/hit.wav", "x");
    game.write("wave/steps.wao", "x");
    game.write("wave/LOUD.WAV", "x");
    game.write("wave/next.ogg", "x");
    game.write("script/next.ogg", "x");
    game.write("script/*gone.ogg", "x");
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "*theme.ogg"), BGM);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "#theme.ogg"), LoopSE);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "$theme.ogg"), LoopWao);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "*missing.ogg"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "*gone.ogg"),
              NextScript);  // prefix kept for the script test
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "hit.wav"), SE);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "steps.wao"), Wao);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "LOUD.WAV"), Text);  // the ending test minds case
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "theme.ogg"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "next.ogg"), NextScript);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "missing.wav"), Text);
}

TEST_F(ScriptFileTest, FoldersAndFifosAreNotFiles) {
    fs::create_directories(game.path() / "cg" / "room.bmp");
    fs::create_directories(game.path() / "wave" / "hit.wav");
    fs::create_directories(game.path() / "script" / "part2.txt");
    ASSERT_EQ(::mkfifo((game.path() / "cg" / "pipe.bmp").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((game.path() / "script" / "pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "room.bmp"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "hit.wav"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "part2.txt"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "pipe.bmp"), Text);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "pipe.txt"), Text);
    EXPECT_FALSE(loadScript(sceneState, {game.path(), "script\\pipe.txt"}));
}

TEST_F(ScriptFileTest, LoadStoresNonEmptyLinesWithTheirKinds) {
    game.write("cg/bg.bmp", "x");
    ASSERT_TRUE(load("story.txt", "bg.bmp\r\n\r\n*missing.ogg\r\n\n\r" + std::string(1100, 'z') +
                                      "\r\nflash\r\n"));
    EXPECT_EQ(storedTexts(), (Lines{"bg.bmp", "*missing.ogg", std::string(1023, 'z'), "flash"}));
    ASSERT_EQ(sceneState.lines.size(), 4u);
    EXPECT_EQ(sceneState.lines[0]->kind, Image);
    EXPECT_EQ(sceneState.lines[1]->kind, Text);
    EXPECT_EQ(sceneState.lines[2]->kind, Text);
    EXPECT_EQ(sceneState.lines[3]->kind, Flash);
    EXPECT_EQ(sceneState.gameFolder, game.path());

    // Only line ends: a successful load with nothing in it.
    EXPECT_TRUE(load("blank.txt", "\r\n\r\n\n\r"));
    EXPECT_TRUE(sceneState.lines.empty());
    EXPECT_TRUE(load("empty.txt", ""));
    EXPECT_TRUE(sceneState.lines.empty());
}

TEST_F(ScriptFileTest, FailedReadKeepsTheLinesButMovesTheGameFolder) {
    ASSERT_TRUE(load("one.txt", "first\r\nsecond"));
    TempFolder other;
    EXPECT_FALSE(loadScript(sceneState, {other.path(), "script\\missing.txt"}));
    EXPECT_EQ(sceneState.gameFolder, other.path());
    EXPECT_EQ(storedTexts(), (Lines{"first", "second"}));

    // Too few separators: nothing changes at all.
    const fs::path before = sceneState.gameFolder;
    EXPECT_FALSE(loadScript(sceneState, {"/", "one.txt"}));
    EXPECT_FALSE(loadScript(sceneState, {"/", "script\\one.txt"}));  // "/script/one.txt"
    EXPECT_FALSE(loadScript(sceneState, {"", "script\\one.txt"}));
    EXPECT_EQ(sceneState.gameFolder, before);
    EXPECT_EQ(storedTexts(), (Lines{"first", "second"}));

    EXPECT_TRUE(loadScript(sceneState, {game.path(), "script\\one.txt"}));
    EXPECT_EQ(sceneState.gameFolder, game.path());
}

TEST_F(ScriptFileTest, GameFolderIsTwoLevelsAboveTheScript) {
    CurrentDirectory inGame(game.path());
    const fs::path cwd = fs::current_path();
    game.write("script/story.txt", "x");
    game.write("script/sub/a.txt", "x");
    EXPECT_EQ(deriveGameFolder({cwd, "script\\story.txt"}), cwd);
    EXPECT_EQ(deriveGameFolder({cwd, "script\\sub\\a.txt"}), cwd / "script");
    // Only backslashes count here: a slash separates folders when the file is opened.
    EXPECT_EQ(deriveGameFolder({cwd, "script\\sub/a.txt"}), cwd);
    EXPECT_EQ(deriveGameFolder({cwd, "script/sub\\a.txt"}), cwd);
    // A full path as the chooser gives it, and a file found only without regard to case.
    EXPECT_EQ(deriveGameFolder({cwd / "script" / "story.txt", ""}), cwd);
    EXPECT_EQ(deriveGameFolder({cwd, "SCRIPT\\Story.TXT"}), cwd);
    // Missing files give their folder all the same.
    EXPECT_EQ(deriveGameFolder({cwd, "script\\" + kCoverSjis + ".txt"}), cwd);
    EXPECT_EQ(deriveGameFolder({"/", "script\\story.txt"}), std::nullopt);
    EXPECT_EQ(deriveGameFolder({"/game", "story.txt"}), std::nullopt);

    // A folder whose UTF-8 name ends in a byte of the Shift-JIS lead range ("あ" is E3 81 82).
    const fs::path hiragana = cwd / "\xE3\x81\x82";
    game.write(hiragana / "script" / "story.txt", "x");
    EXPECT_EQ(deriveGameFolder({hiragana, "script\\story.txt"}), hiragana);
}

TEST_F(ScriptFileTest, ScriptNamedWithATrailBackslashFindsItsGame) {
    game.write("cg/bg.bmp", "x");
    game.write("script/next.txt", "x");
    game.write("script/" + kCoverUtf8 + ".txt", "bg.bmp\r\nnext.txt\r\n");
    sceneState.gameFolder = "/elsewhere";
    ASSERT_TRUE(loadScript(sceneState, {game.path(), "script\\" + kCoverSjis + ".txt"}));
    EXPECT_EQ(sceneState.gameFolder, game.path());
    ASSERT_EQ(sceneState.lines.size(), 2u);
    EXPECT_EQ(sceneState.lines[0]->kind, Image);
    EXPECT_EQ(sceneState.lines[1]->kind, NextScript);
}

TEST_F(ScriptFileTest, NamesEndAsWindowsOpensThem) {
    game.write("cg/bg.bmp", "x");
    game.write("wave/a.wav", "x");
    game.write("script/sub/a.txt", "bg.bmp \r\nbg.bmp\\\r\n");
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "*a.wav "), BGM);
    EXPECT_EQ(classifyLine(sceneState.gameFolder, "a.wav "),
              Text);  // the ending test reads the line as written
    // A script named with a slash keeps the game's folder for its own lines.
    ASSERT_TRUE(loadScript(sceneState, {game.path(), "script\\sub/a.txt"}));
    EXPECT_EQ(sceneState.gameFolder, game.path());
    EXPECT_EQ(storedTexts(), (Lines{"bg.bmp ", "bg.bmp\\"}));
    EXPECT_EQ(sceneState.lines[0]->kind, Image);
    EXPECT_EQ(sceneState.lines[1]->kind, Text);
}

TEST_F(ScriptFileTest, FindLabelAnswersTheFirstLabelOfThatName) {
    ASSERT_TRUE(load("labels.txt",
                     "\\start\r\n\\\\start\r\ntext\r\n\\\\start\r\n\\\\ab\r\n\\\\start2\r\n"));
    EXPECT_EQ(sceneState.lines[0]->kind, Jump);
    EXPECT_EQ(findLabel(sceneState, "start"), 1);
    EXPECT_EQ(findLabel(sceneState, "ab"), 4);
    EXPECT_EQ(findLabel(sceneState, "start2"), 5);
    EXPECT_EQ(findLabel(sceneState, "star"), -1);
    EXPECT_EQ(findLabel(sceneState, "missing"), -1);
    EXPECT_EQ(findLabel(sceneState, nullptr), -1);
    clearScript(sceneState);
    EXPECT_TRUE(sceneState.lines.empty());
    EXPECT_EQ(findLabel(sceneState, "start"), -1);
}

}  // namespace
}  // namespace tsuzuri
