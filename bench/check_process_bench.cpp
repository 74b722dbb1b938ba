// `tsuzuri --check` as an author meets it: the real program started in a fresh process on a
// game written to disk, timed from start to exit. Three games that once took seconds: many
// distinct pictures to decode, many labels with jumps that miss them by one slip, and many
// pictures with lines that miss their names by one slip.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/png_file.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

extern char** environ;

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// "あいうえおかきくけこ" in Shift-JIS.
const std::string kKana =
    "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1";

// 42 as "0042".
std::string fourDigits(int n) {
    const std::string digits = std::to_string(n);
    return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

// A game folder inside a temporary folder, beside the file the checker's report goes to.
struct GameOnDisk {
    test::TempFolder root;
    fs::path game = root.path() / "game";

    void write(const std::string& relative, const std::string& bytes) const {
        root.write(fs::path("game") / relative, bytes);
    }

    void writeBasics(const std::string& startScript) const {
        write("Game.INI", "[GameState]\r\nDefaultScriptFileName=" + startScript + "\r\n");
        test::RgbaImage window{800, 150, std::vector<std::uint32_t>(800 * 150, 0xC0203040u)};
        fs::create_directories(game / "cg");
        test::writePng(game / "cg" / "playwindow.bmp", window);
    }
};

// Runs `tsuzuri --check GAME` to its end, its report written to a file; answers the summary
// line ("N errors, N warnings, N notes") or an empty text when the program failed.
std::string runCheck(const GameOnDisk& game) {
    const std::string report = (game.root.path() / "report.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, report.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = TSUZURI_PLAYER;
    std::string option = "--check";
    std::string folder = game.game.string();
    char* argv[] = {program.data(), option.data(), folder.data(), nullptr};
    pid_t child = -1;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) > 1) {
        return {};
    }
    std::ifstream in(report);
    std::string line;
    std::string last;
    while (std::getline(in, line)) {
        last = line;
    }
    return last;
}

void runTimed(benchmark::State& state, const GameOnDisk& game) {
    // The game as an author's is: on the disk, not still being written out from memory
    // while it is checked.
    if (const int folder = ::open(game.game.c_str(), O_RDONLY | O_DIRECTORY); folder >= 0) {
        ::syncfs(folder);
        ::close(folder);
    }
    std::string summary;
    for (auto _ : state) {
        summary = runCheck(game);
    }
    if (summary.empty()) {
        state.SkipWithError("tsuzuri --check failed");
        return;
    }
    state.counters["errors"] = std::stod(summary);
}

// 2,000 scripts of 100 lines (200,000 lines) naming 1,000 distinct 800x600 PNG pictures in
// 24-bit colour, every tenth with a grey "-m" mask (the pictures' alpha); each picture is
// named from ten scripts.
constexpr int kPictureScripts = 2000;
constexpr int kPictureLines = 100;
constexpr int kDistinctPictures = 1000;

// A picture of its own for each number, of the kind the decoding benchmark uses: gradients
// and a wave, shifted, tinted and stretched by the number, so that no two files are alike.
test::RgbaImage distinctPicture(int number, bool mask) {
    test::RgbaImage image{800, 600, std::vector<std::uint32_t>(800 * 600)};
    const double stretchX = 20.0 + number % 17;
    const double stretchY = 30.0 + number % 13;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const auto r = static_cast<std::uint32_t>((x * 255 / 800 + number * 37) & 0xFF);
            const auto g = static_cast<std::uint32_t>((y * 255 / 600 + number * 11) & 0xFF);
            const auto b = static_cast<std::uint32_t>(
                128 + 100 * std::sin(x / stretchX + y / stretchY + number));
            image.pixels[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)] =
                mask ? 0xFF000000u | b << 16 | b << 8 | b : 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
    return image;
}

std::string pictureScript(int number) {
    std::string text = "// script " + std::to_string(number) + "\r\n";
    for (int line = 1; line < kPictureLines - 1; ++line) {
        switch (line % 20) {
            case 1:
                // Script s names pictures (s * 5 + k) % 1,000 for k = 0..4.
                text += "bg" + fourDigits((number * 5 + line / 20) % kDistinctPictures) + ".png";
                break;
            case 3:
                text += "\\\\mark" + std::to_string(line);
                break;
            case 4:
                text += "choices||" + kKana + "\\mark" + std::to_string(line - 1) + "||" + kKana +
                        "\\mark" + std::to_string(line - 1);
                break;
            default:
                text += kKana + kKana + "\\n" + kKana + " page " + std::to_string(line);
                break;
        }
        text += "\r\n";
    }
    text += number + 1 < kPictureScripts ? "s" + std::to_string(number + 1) + ".txt\r\n"
                                         : "The end\r\n";
    return text;
}

struct PictureGame : GameOnDisk {
    PictureGame() {
        writeBasics("s0.txt");
        // Made on every core: encoding a thousand pictures takes a while on one.
        const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::thread> makers;
        for (unsigned t = 0; t < threads; ++t) {
            makers.emplace_back([this, t, threads] {
                for (int i = static_cast<int>(t); i < kDistinctPictures;
                     i += static_cast<int>(threads)) {
                    const fs::path cg = game / "cg";
                    test::writePng(cg / ("bg" + fourDigits(i) + ".png"), distinctPicture(i, false),
                                   test::PngPixels::Rgb);
                    if (i % 10 == 0) {
                        test::writePng(cg / ("bg" + fourDigits(i) + "-m.png"),
                                       distinctPicture(i, true), test::PngPixels::Grey);
                    }
                }
            });
        }
        for (std::thread& maker : makers) {
            maker.join();
        }
        for (int i = 0; i < kPictureScripts; ++i) {
            write("script/s" + std::to_string(i) + ".txt", pictureScript(i));
        }
    }
};

void BM_CheckProcessDistinctPictures(benchmark::State& state) {
    static const PictureGame game;
    runTimed(state, game);
}
BENCHMARK(BM_CheckProcessDistinctPictures)->Unit(benchmark::kMillisecond)->Iterations(1);

// One slip in a name: two neighbours swapped, a letter left out, or a letter replaced, taking
// turns; `at` is where the slip falls.
std::string misspelt(const std::string& name, std::size_t at, int kind) {
    std::string slipped = name;
    switch (kind % 3) {
        case 0:
            std::swap(slipped[at], slipped[at + 1]);
            break;
        case 1:
            slipped.erase(at, 1);
            break;
        default:
            slipped[at] = slipped[at] == 'x' ? 'y' : 'x';
            break;
    }
    return slipped;
}

// One script of 10,000 labels ("ch12_scene34") and 10,000 jumps, each to a label misspelt by
// one slip in "scene", so that none exists.
constexpr int kLabels = 10000;

struct LabelGame : GameOnDisk {
    LabelGame() {
        writeBasics("labels.txt");
        std::vector<std::string> labels;
        for (int i = 0; i < kLabels; ++i) {
            labels.push_back("ch" + std::to_string(i / 100) + "_scene" + std::to_string(i % 100));
        }
        std::string text;
        for (const std::string& label : labels) {
            text += "\\\\" + label + "\r\n";
        }
        for (int i = 0; i < kLabels; ++i) {
            const std::string& label = labels[static_cast<std::size_t>((i * 7919) % kLabels)];
            text += "\\" + misspelt(label, label.find("scene") + 1 + i % 3, i) + "\r\n";
        }
        write("script/labels.txt", text);
    }
};

void BM_CheckProcessMisspeltLabels(benchmark::State& state) {
    static const LabelGame game;
    runTimed(state, game);
}
BENCHMARK(BM_CheckProcessMisspeltLabels)->Unit(benchmark::kMillisecond)->Iterations(1);

// 5,000 pictures in cg/ ("ev_0042.png") and 20 scripts of 1,000 lines, each a picture's name
// misspelt by one slip, so that the line is a page of text with a suggestion.
constexpr int kNamedPictures = 5000;
constexpr int kMisspeltScripts = 20;
constexpr int kMisspeltLines = 1000;

struct FileNameGame : GameOnDisk {
    FileNameGame() {
        writeBasics("m0.txt");
        // Small pictures: the names are what is searched.
        test::RgbaImage tiny{2, 2, std::vector<std::uint32_t>(4, 0xFF336699u)};
        for (int i = 0; i < kNamedPictures; ++i) {
            test::writePng(game / "cg" / ("ev_" + fourDigits(i) + ".png"), tiny);
        }
        for (int s = 0; s < kMisspeltScripts; ++s) {
            std::string text;
            for (int line = 0; line < kMisspeltLines; ++line) {
                const int n = s * kMisspeltLines + line;
                const std::string name = "ev_" + fourDigits((n * 7919) % kNamedPictures) + ".png";
                // Swaps stay in "ev_" (two digits swapped may name another picture).
                const int at = n % 3 == 0 ? n / 3 % 3 : n % 6;
                text += misspelt(name, static_cast<std::size_t>(at), n) + "\r\n";
            }
            text += s + 1 < kMisspeltScripts ? "m" + std::to_string(s + 1) + ".txt\r\n" : "";
            write("script/m" + std::to_string(s) + ".txt", text);
        }
    }
};

void BM_CheckProcessMisspeltFileNames(benchmark::State& state) {
    static const FileNameGame game;
    runTimed(state, game);
}
BENCHMARK(BM_CheckProcessMisspeltFileNames)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tsuzuri
