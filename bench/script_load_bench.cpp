// Classifying a 10,000-line script (a third of the lines naming media) in a game of 5,000
// files: our file layer against one open() per existence test.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/game_path.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

struct BenchGame {
    test::TempFolder folder;
    std::vector<std::string> lines;

    BenchGame() {
        for (int i = 0; i < 2500; ++i) {
            folder.write("cg/bg" + std::to_string(i) + ".bmp", "");
            folder.write("wave/se" + std::to_string(i) + ".wav", "");
        }
        for (int i = 0; i < 10000; ++i) {
            switch (i % 6) {
                case 0:
                    lines.push_back("bg" + std::to_string(i % 2500) + ".bmp");
                    break;
                case 1:
                    lines.push_back("se" + std::to_string(i % 2500) + ".wav");
                    break;
                case 2:
                    lines.push_back("missing" + std::to_string(i) + ".bmp");
                    break;
                default:
                    lines.push_back("A line of story text that names no file, number " +
                                    std::to_string(i));
                    break;
            }
        }
    }
};

BenchGame& game() {
    static BenchGame instance;
    return instance;
}

bool opens(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

// The same decisions taken by opening each candidate file once.
int classifyByOpening(const std::string& folder, const std::string& line) {
    if (line.size() <= 4) {
        return Text;
    }
    if (opens(folder + "/cg/" + line)) {
        return Image;
    }
    if (opens(folder + "/wave/" + line)) {
        return SE;
    }
    if (opens(folder + "/script/" + line)) {
        return NextScript;
    }
    return Text;
}

void BM_ClassifyOurs(benchmark::State& state) {
    BenchGame& g = game();
    const std::filesystem::path gameFolder = g.folder.path();
    for (auto _ : state) {
        FolderListingScope scope;
        int images = 0;
        for (const std::string& line : g.lines) {
            images += classifyLine(gameFolder, line) == Image;
        }
        benchmark::DoNotOptimize(images);
    }
}
BENCHMARK(BM_ClassifyOurs)->Unit(benchmark::kMillisecond);

void BM_ClassifyOpenPerTest(benchmark::State& state) {
    BenchGame& g = game();
    const std::string folder = g.folder.path().string();
    for (auto _ : state) {
        int images = 0;
        for (const std::string& line : g.lines) {
            images += classifyByOpening(folder, line) == Image;
        }
        benchmark::DoNotOptimize(images);
    }
}
BENCHMARK(BM_ClassifyOpenPerTest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tsuzuri

namespace tsuzuri {
namespace {
void BM_ClassifyOursWarmListing(benchmark::State& state) {
    BenchGame& g = game();
    const std::filesystem::path gameFolder = g.folder.path();
    FolderListingScope scope;
    for (auto _ : state) {
        int images = 0;
        for (const std::string& line : g.lines) {
            images += classifyLine(gameFolder, line) == Image;
        }
        benchmark::DoNotOptimize(images);
    }
}
BENCHMARK(BM_ClassifyOursWarmListing)->Unit(benchmark::kMillisecond);
}  // namespace
}  // namespace tsuzuri
