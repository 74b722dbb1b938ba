// The script checker on a game seeded with one of each problem, and on a game whose settings
// name no loadable script.
#include "script_engine/check/game_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "script_engine/scene_state.h"
#include "support/png_file.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

using Found = std::vector<std::tuple<std::string, int, std::string>>;

Found placesAndCodes(const std::vector<Diagnostic>& findings) {
    Found found;
    for (const Diagnostic& finding : findings) {
        found.emplace_back(finding.file, finding.line, finding.code);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

void writePicture(const test::TempFolder& game, const std::string& name) {
    test::RgbaImage image{2, 2, std::vector<std::uint32_t>(4, 0xFF336699u)};
    ASSERT_TRUE(test::writePng(game.path() / "cg" / name, image));
}

TEST(GameCheckTest, FindsEachSeededProblemWhereItIs) {
    test::TempFolder game;
    game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=start.txt\r\n");
    game.write("cg/.keep", "");
    writePicture(game, "bg.png");
    writePicture(game, "face.png");
    writePicture(game, "Room.png");
    game.write("cg/broken.png", "not a picture at all");
    game.write("cg/face-m.png", "\x89PNG\r\n\x1a\n but no more");
    test::WavSpec wav;
    wav.samples = std::string(80, '\x80');
    game.write("wave/ok.wav", test::buildWav(wav));
    game.write("wave/bad.wav", "RIFF....WAVEfmt but nothing that plays");
    game.write("wave/seq.wao", crlf({"title", "ok.wav", "* soon", "gone.wav"}));
    const std::string w90(90, 'w');
    game.write("script/start.txt",
               crlf({"// seeded problems",                        // 1
                     "bg.png",                                    // 2
                     "bgg.png",                                   // 3 unknown-file
                     "Flash",                                     // 4 unknown-keyword
                     "\\nowhere",                                 // 5 missing-label
                     "\\\\twice",                                 // 6
                     "\\\\twice",                                 // 7 duplicate-label
                     "\\twice",                                   // 8
                     "\\\\lonely",                                // 9 unused-label
                     "choices||a\\twice||b||c\\twice||d\\twice",  // 10 menu x2
                     "choices||x\\missing",                       // 11 missing-label
                     "one\\ntwo\\nthree\\nfour",                  // 12 page-overflow
                     "//" + std::string(1100, 'x'),               // 13 long-line
                     "broken.png",                                // 14 bad-picture
                     "face.png",                                  // 15 bad-mask
                     "room.png",                                  // 16 name-forgiven
                     "bad.wav",                                   // 17 bad-sound
                     "seq.wao",                                   // 18
                     "\x81 not Shift-JIS",                        // 19 encoding
                     "choices||" + w90 + "\\twice||" + w90 + "\\twice||" + w90 + "\\twice",  // 20
                     "",                                                                     // 21
                     "next.txt",                                                             // 22
                     "StopBMG"}));  // 23 unknown-keyword: two letters swapped are one slip
    game.write("script/next.txt", "read as\none line\n");
    game.write("script/utf8.txt", "こんにちは\r\n");

    const std::vector<Diagnostic> findings = checkGame(game.path(), {true, "start.txt", 2, {}});
    const std::string start = "script/start.txt";
    EXPECT_EQ(placesAndCodes(findings), (Found{{"cg/playwindow.bmp", 1, "no-window-picture"},
                                               {"script/next.txt", 1, "line-ends"},
                                               {start, 3, "unknown-file"},
                                               {start, 4, "unknown-keyword"},
                                               {start, 5, "missing-label"},
                                               {start, 7, "duplicate-label"},
                                               {start, 8, "endless-loop"},
                                               {start, 9, "unused-label"},
                                               {start, 10, "menu"},
                                               {start, 10, "menu"},
                                               {start, 11, "missing-label"},
                                               {start, 12, "page-overflow"},
                                               {start, 13, "long-line"},
                                               {start, 14, "bad-picture"},
                                               {start, 15, "bad-mask"},
                                               {start, 16, "name-forgiven"},
                                               {start, 17, "bad-sound"},
                                               {start, 19, "encoding"},
                                               {start, 20, "menu"},
                                               {start, 20, "menu"},
                                               {start, 20, "menu"},
                                               {start, 20, "menu"},
                                               {start, 23, "unknown-keyword"},
                                               {"script/utf8.txt", 1, "encoding"},
                                               {"script/utf8.txt", 1, "unreachable"},
                                               {"wave/seq.wao", 3, "bad-sequence"},
                                               {"wave/seq.wao", 4, "bad-sequence"}}));
    for (const Diagnostic& finding : findings) {
        if (finding.code == "unknown-file") {
            EXPECT_NE(finding.message.find("cg/"), std::string::npos) << finding.message;
            EXPECT_NE(finding.message.find("'bg.png'"), std::string::npos) << finding.message;
        }
        if (finding.code == "page-overflow") {
            EXPECT_NE(finding.message.find("'four'"), std::string::npos) << finding.message;
        }
    }

    // Settings that name a script that does not load: every script is then unreached.
    test::TempFolder unset;
    unset.write("Game.INI", "[GameState]\r\nWindowTitle=x\r\nDefaultScriptFileName=strat.txt\r\n");
    unset.write("cg/playwindow.bmp", "");
    unset.write("script/start.txt", "Hello\r\n");
    EXPECT_EQ(placesAndCodes(checkGame(unset.path(), {true, "strat.txt", 3, {}})),
              (Found{{"Game.INI", 3, "settings"},
                     {"cg/playwindow.bmp", 1, "no-window-picture"},
                     {"script/start.txt", 1, "unreachable"}}));
    EXPECT_EQ(placesAndCodes(checkGame(unset.path(), {false, "", 1, {}})).front(),
              (std::tuple<std::string, int, std::string>{"Game.INI", 1, "settings"}));
}

using Placed = std::vector<std::tuple<std::string, int, int, std::string, std::string>>;

// What the player does silently with each of these lines (a blank after a sound's name, a lone
// LF, a NUL, keywords typed with an input method, a label loop or a script loop without a page,
// an empty script, a decimal comma) is reported at its line and column with its severity.
TEST(GameCheckTest, FindsWhatThePlayerDoesSilently) {
    test::TempFolder game;
    game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=start.txt\r\n");
    game.write("cg/.keep", "");
    writePicture(game, "bg.png");
    writePicture(game, "playwindow.bmp");
    test::RgbaImage wide{20000, 10, std::vector<std::uint32_t>(200000, 0xFF000000u)};
    ASSERT_TRUE(test::writePng(game.path() / "cg" / "big.png", wide));
    test::WavSpec wav;
    wav.samples = std::string(80, '\x80');
    game.write("wave/se.wav", test::buildWav(wav));
    game.write("wave/ok.wav", test::buildWav(wav));
    game.write("wave/seq.wao", crlf({"title", "ok.wav ", "* 0,5"}));
    std::string kana;  // "あ" 600 times: the cut at 1,023 bytes falls inside a character
    for (int i = 0; i < 600; ++i) {
        kana += "\x82\xA0";
    }
    game.write("script/start.txt",
               crlf({"// misses",                                 // 1
                     "se.wav ",                                   // 2
                     "seq.wao ",                                  // 3
                     "one\ntwo",                                  // 4-5
                     std::string("abc\0def", 7),                  // 6
                     "\x82\x86\x82\x8C\x82\x81\x82\x93\x82\x88",  // 7 ｆｌａｓｈ
                     "\x81\x8F\x81\x8Fspin",                      // 8 ￥￥spin
                     "choices\x81\x62\x81\x62"
                     "A\\a",                              // 9 choices｜｜A\a
                     "Falsh",                             // 10
                     "// check: ignore unknown-keyword",  // 11
                     "Flash",                             // 12
                     "\\\\spin",                          // 13
                     "bg.png",                            // 14
                     "\\spin",                            // 15
                     "//x" + kana,                        // 16
                     "big.png",                           // 17
                     "choices||end\\e||loop\\l",          // 18
                     "\\\\e",                             // 19
                     "empty.txt",                         // 20
                     "\\\\l",                             // 21
                     "loop1.txt",                         // 22
                     "$seq.wao",                          // 23
                     "\x81\x8F"
                     "100"}));  // 24 ￥100, a price: no label
    game.write("script/empty.txt", "");
    game.write("script/loop1.txt", crlf({"bg.png", "loop2.txt"}));
    game.write("script/loop2.txt", crlf({"loop1.txt"}));

    const std::vector<Diagnostic> findings = checkGame(game.path(), {true, "start.txt", 2, {}});
    Placed placed;
    for (const Diagnostic& finding : findings) {
        placed.emplace_back(finding.file, finding.line, finding.column,
                            severityName(finding.severity), finding.code);
    }
    const std::string start = "script/start.txt";
    EXPECT_EQ(placed, (Placed{{start, 2, 7, "error", "unknown-file"},
                              {start, 3, 8, "error", "unknown-file"},
                              {start, 4, 4, "error", "line-ends"},
                              {start, 6, 4, "error", "nul-byte"},
                              {start, 7, 1, "error", "unknown-keyword"},
                              {start, 8, 1, "error", "unknown-keyword"},
                              {start, 9, 1, "error", "menu"},
                              {start, 10, 1, "warning", "unknown-keyword"},
                              {start, 15, 1, "error", "endless-loop"},
                              {start, 16, 514, "error", "long-line"},
                              {start, 17, 1, "error", "bad-picture"},
                              {start, 20, 1, "error", "empty-script"},
                              {"wave/seq.wao", 2, 7, "error", "bad-sequence"},
                              {"wave/seq.wao", 3, 4, "error", "bad-sequence"},
                              {"script/loop1.txt", 2, 1, "error", "endless-loop"}}));
    for (const Diagnostic& finding : findings) {
        if (finding.code == "bad-picture") {
            EXPECT_NE(finding.message.find("20000x10 pixels, more than"), std::string::npos)
                << finding.message;
        }
    }
}

// Pictures and sounds are decoded on worker threads, but their findings come where the line
// naming them puts them: files in the order first reported on (a script whose only findings
// are media still comes before the next script), each file's by line, a forgiven name before
// the fault of the same line, and each file reported on once however many scripts name it.
TEST(GameCheckTest, MediaFindingsComeInTheOrderOfTheLines) {
    test::TempFolder game;
    game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=start.txt\r\n");
    game.write("cg/.keep", "");
    writePicture(game, "ok.png");
    writePicture(game, "masked.png");
    game.write("cg/masked-m.png", "no mask");
    writePicture(game, "cut.png");
    const std::string whole = test::readBytes((game.path() / "cg" / "ok.png").string());
    game.write("cg/cut.png", whole.substr(0, whole.size() - 20));
    game.write("cg/Case.png", "not a picture");
    for (int i = 0; i < 8; ++i) {
        game.write("cg/bad" + std::to_string(i) + ".png", "not a picture " + std::to_string(i));
    }
    test::WavSpec wav;
    wav.samples = std::string(80, '\x80');
    game.write("wave/ok.wav", test::buildWav(wav));
    game.write("wave/bad.wav", "RIFF....WAVEfmt but nothing that plays");
    wav.rate = 1;
    game.write("wave/slow.wav", test::buildWav(wav));
    game.write("wave/seq.wao", crlf({"title", "bad.wav", "ok.wav", "gone.wav", "slow.wav"}));
    game.write("script/start.txt",
               crlf({"bad0.png", "bad1.png", "bad.wav", "masked.png", "ok.png", "next.txt"}));
    game.write("script/next.txt",
               crlf({"bad0.png", "Flash", "bad2.png", "bad3.png", "case.png", "bad4.png",
                     "bad5.png", "cut.png", "bad6.png", "bad7.png", "$seq.wao", "*slow.wav"}));
    game.write("script/other.txt", crlf({"bad3.png", "bad.wav", "ok.png"}));

    const std::vector<Diagnostic> findings = checkGame(game.path(), {true, "start.txt", 2, {}});
    Found inOrder;
    for (const Diagnostic& finding : findings) {
        inOrder.emplace_back(finding.file, finding.line, finding.code);
    }
    const std::string start = "script/start.txt";
    const std::string next = "script/next.txt";
    EXPECT_EQ(inOrder, (Found{{start, 1, "bad-picture"},
                              {start, 2, "bad-picture"},
                              {start, 3, "bad-sound"},
                              {start, 4, "bad-mask"},
                              {next, 2, "unknown-keyword"},
                              {next, 3, "bad-picture"},
                              {next, 4, "bad-picture"},
                              {next, 5, "name-forgiven"},
                              {next, 5, "bad-picture"},
                              {next, 6, "bad-picture"},
                              {next, 7, "bad-picture"},
                              {next, 8, "bad-picture"},
                              {next, 9, "bad-picture"},
                              {next, 10, "bad-picture"},
                              {next, 12, "bad-sound"},
                              {"wave/seq.wao", 2, "bad-sequence"},
                              {"wave/seq.wao", 4, "bad-sequence"},
                              {"wave/seq.wao", 5, "bad-sequence"},
                              {"script/other.txt", 1, "unreachable"},
                              {"cg/playwindow.bmp", 1, "no-window-picture"}}));
    ASSERT_EQ(findings.size(), 20u);
    EXPECT_EQ(findings[3].message,
              "mask 'cg/masked-m.png' of picture 'cg/masked.png' cannot be used: no picture "
              "reader identifies it, and the second-chance decoder cannot read it; the line is "
              "shown as a page of text");
    EXPECT_EQ(findings[8].message,
              "picture 'cg/Case.png' cannot be shown: no picture reader identifies it, and the "
              "second-chance decoder cannot read it; the line is shown as a page of text");
    EXPECT_EQ(findings[11].message,
              "picture 'cg/cut.png' cannot be shown: it is a PNG file whose data cannot be "
              "decoded; the line is shown as a page of text");
    EXPECT_EQ(findings[17].message,
              "sound 'wave/slow.wav' cannot be played: a sample format, channel count, rate or "
              "block alignment the output cannot take; the sequence leaves it out");
}

}  // namespace
}  // namespace tsuzuri
