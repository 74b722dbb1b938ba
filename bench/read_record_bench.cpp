// The record of read pages of a game of 100,000 lines, as a run finds it at start-up: loaded
// from its file, at its largest (every other line read, so no two lines make one run; 1,000
// scripts of 100 lines), and written again.
#include <benchmark/benchmark.h>

#include <string>

#include "saves/read_record.h"
#include "support/temp_folder.h"

namespace tsuzuri {
namespace {

ReadLines largestRecord() {
    ReadLines lines;
    for (int script = 0; script < 1000; ++script) {
        const std::string name = "script/chapter" + std::to_string(script) + ".txt";
        for (int line = 1; line <= 100; line += 2) {
            lines.mark(name, line);
        }
    }
    return lines;
}

void BM_LoadReadRecord(benchmark::State& state) {
    test::TempFolder folder;
    const auto file = folder.path() / "game-0123456789abcdef.read";
    std::string error;
    if (!keepReadRecord(file, largestRecord(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        ReadLines lines;
        benchmark::DoNotOptimize(loadReadRecord(file, lines, error));
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
}
BENCHMARK(BM_LoadReadRecord)->Unit(benchmark::kMillisecond);

void BM_KeepReadRecord(benchmark::State& state) {
    test::TempFolder folder;
    const ReadLines lines = largestRecord();
    std::string error;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            keepReadRecord(folder.path() / "game-0123456789abcdef.read", lines, error));
    }
}
BENCHMARK(BM_KeepReadRecord)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tsuzuri
