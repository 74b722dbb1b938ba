// From SoundPlay to the sound leaving the mixer, through the real sound layer and a real SDL
// output device (its disk driver writing to /dev/null unless SDL_AUDIODRIVER names another):
// it paces its requests like a sound card, a buffer's time apart, without needing one.
//
// A click is played at a different phase of the device's cycle each time. The mix tap, on the
// device's thread, finds the buffer holding the click's first frame; the sound leaves the
// mixer when that buffer is handed over, plus the frame's place in it (a buffer's frames go out
// one after another at the output rate). The time from the SoundPlay call to then is the
// latency of one play. The benchmark's time is the mean over the plays; the counter worst_ms
// is the longest, and buffer_frames the largest buffer the device asked for.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/audio.h"
#include "sound/mixer.h"
#include "sound/sound_layer.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> listening{false};
std::atomic<Clock::rep> heardAt{0};  // steady-clock ticks
std::atomic<int> largestBuffer{0};

void watchMix(const std::int16_t* frames, int frameCount, std::uint32_t) {
    const Clock::rep now = Clock::now().time_since_epoch().count();
    if (frameCount > largestBuffer.load(std::memory_order_relaxed)) {
        largestBuffer.store(frameCount, std::memory_order_relaxed);
    }
    if (!listening.load(std::memory_order_acquire)) {
        return;
    }
    for (int i = 0; i < frameCount; ++i) {
        if (frames[2 * i] != 0) {
            const auto offset = std::chrono::duration_cast<Clock::duration>(
                std::chrono::nanoseconds(std::int64_t{i} * 1'000'000'000 / platform::kOutputRate));
            heardAt.store(now + offset.count(), std::memory_order_relaxed);
            listening.store(false, std::memory_order_release);
            return;
        }
    }
}

void BM_SoundPlayToMixer(benchmark::State& state) {
    const char* named = std::getenv("SDL_AUDIODRIVER");
    const bool driverNamed = named != nullptr && named[0] != '\0';
    const std::string driver = driverNamed ? named : "disk";
    test::TempFolder game;
    game.write("click.wav", test::outputFormatWav(test::constantStereo16(240, 20000, 20000)));
    test::ScopedSound sound;
    sound.start(driver.c_str(), driverNamed ? nullptr : "/dev/null");
    const SoundId click = SoundLoad(GamePath{game.path(), "click.wav"});
    largestBuffer.store(0);
    setMixTap(watchMix);

    double worstSeconds = 0.0;
    int play = 0;
    for (auto _ : state) {
        // Long enough for the last click to have ended; the odd step moves the play across the
        // device's cycle.
        std::this_thread::sleep_for(std::chrono::microseconds(20000 + play * 3700 % 10000));
        ++play;
        listening.store(true, std::memory_order_release);
        const Clock::time_point played = Clock::now();
        SoundPlay(click, 0);
        const Clock::time_point giveUp = played + std::chrono::seconds(1);
        while (listening.load(std::memory_order_acquire) && Clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (listening.exchange(false)) {
            state.SkipWithError("the click never left the mixer");
            break;
        }
        const Clock::duration latency = Clock::duration(heardAt.load()) - played.time_since_epoch();
        const double seconds = std::chrono::duration<double>(latency).count();
        state.SetIterationTime(seconds);
        worstSeconds = std::max(worstSeconds, seconds);
    }
    state.counters["worst_ms"] = worstSeconds * 1000;
    state.counters["buffer_frames"] = largestBuffer.load();

    setMixTap(nullptr);
    sound.stop();
}
BENCHMARK(BM_SoundPlayToMixer)
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("max", [](const std::vector<double>& values) {
        return *std::max_element(values.begin(), values.end());
    });

}  // namespace
}  // namespace tsuzuri
