// The script checker on a generated game of 1,000 scripts and 100,000 lines: pages of
// Japanese text, pictures, sounds, labels, jumps and menus, each script going on to the next.
#include <benchmark/benchmark.h>

#include <string>

#include "script_engine/check/game_check.h"
#include "support/png_file.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

constexpr int kScripts = 1000;
constexpr int kLinesPerScript = 100;
constexpr int kPictures = 20;
constexpr int kSounds = 20;

// "あいうえおかきくけこ" in Shift-JIS.
const std::string kKana =
    "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1";

std::string scriptText(int number) {
    std::string text = "// script " + std::to_string(number) + "\r\n";
    for (int line = 1; line < kLinesPerScript - 1; ++line) {
        const int n = number * kLinesPerScript + line;
        switch (line % 20) {
            case 1:
                text += "bg" + std::to_string(n % kPictures) + ".png";
                break;
            case 2:
                text += (n % 2 == 0 ? "*se" : "se") + std::to_string(n % kSounds) + ".wav";
                break;
            case 3:
                text += "\\\\mark" + std::to_string(line);
                break;
            case 4:
                text += "choices||" + kKana + "\\mark" + std::to_string(line - 1) + "||" + kKana +
                        "\\mark" + std::to_string(line + 20 < kLinesPerScript - 1 ? line + 19 : 3);
                break;
            case 5:
                text += "\\mark" + std::to_string(line - 2);
                break;
            default:
                text += kKana + kKana + "\\n" + kKana + " page " + std::to_string(n);
                break;
        }
        text += "\r\n";
    }
    if (number + 1 < kScripts) {
        text += "s" + std::to_string(number + 1) + ".txt\r\n";
    } else {
        text += "The end\r\n";
    }
    return text;
}

struct GeneratedGame {
    test::TempFolder folder;

    GeneratedGame() {
        folder.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=s0.txt\r\n");
        folder.write("cg/.made", "");
        // Pictures are found by their content, whatever the name says.
        test::RgbaImage picture{800, 600, std::vector<std::uint32_t>(800 * 600, 0xFF4080C0u)};
        test::writePng(folder.path() / "cg" / "playwindow.bmp", picture);
        for (int i = 0; i < kPictures; ++i) {
            test::writePng(folder.path() / "cg" / ("bg" + std::to_string(i) + ".png"), picture);
        }
        test::WavSpec sound;
        sound.samples = std::string(8000, '\x80');
        for (int i = 0; i < kSounds; ++i) {
            folder.write("wave/se" + std::to_string(i) + ".wav", test::buildWav(sound));
        }
        for (int i = 0; i < kScripts; ++i) {
            folder.write("script/s" + std::to_string(i) + ".txt", scriptText(i));
        }
    }
};

void BM_CheckGeneratedGame(benchmark::State& state) {
    static GeneratedGame game;
    std::size_t findings = 0;
    for (auto _ : state) {
        findings = checkGame(game.folder.path(), {true, "s0.txt", 2, {}}).size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckGeneratedGame)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tsuzuri
