// What sound costs the story and the mixer, through the real sound layer (without a device,
// which neither loading nor mixing on the clock needs):
// - BM_StartBgm/<seconds>/<cold>: SoundLoad and SoundPlay of a 44.1 kHz 16-bit stereo WAV
//   file `seconds` long, as a script line starting music runs them. The 180-second time less the
//   1-second one is how much longer a line starting long music holds the story. Cold: the
//   file's pages are first dropped from the page cache (posix_fadvise, which needs no
//   privileges; the disk beneath may still have them in a cache of its own).
// - BM_MixEightVoices: eight looping voices, four 22050 Hz mono and four 44100 Hz stereo, mixed
//   into 48 kHz output 10 ms at a time, as a device pulls it. The time is the mixing thread's
//   CPU time per second of sound; the counter core_percent is that as a share of a core.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <atomic>

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "sound/mixer.h"
#include "sound/sound_layer.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

std::int16_t music(std::uint32_t i) {
    return static_cast<std::int16_t>(8000 * std::sin(i * 0.0627) + 3000 * std::sin(i * 0.31));
}

std::string wav(std::uint32_t rate, std::uint16_t channels, std::uint32_t frames) {
    test::WavSpec spec;
    spec.rate = rate;
    spec.channels = channels;
    spec.bits = 16;
    // A mono file's samples, two to a stereo frame.
    spec.samples = test::stereo16(channels == 2 ? frames : frames / 2, music, music);
    return test::buildWav(spec);
}

// The files, written once.
const test::TempFolder& files() {
    static const test::TempFolder folder;
    static const bool written = [] {
        for (const int seconds : {1, 180}) {
            folder.write("bgm" + std::to_string(seconds) + ".wav", wav(44100, 2, 44100 * seconds));
        }
        for (int voice = 0; voice < 8; ++voice) {
            folder.write("voice" + std::to_string(voice) + ".wav",
                         voice < 4 ? wav(22050, 1, 22050 * 5) : wav(44100, 2, 44100 * 5));
        }
        return true;
    }();
    (void)written;
    return folder;
}

void startSoundLayer() {
    SoundUseOutputDevice(false);
    SoundInit(1, platform::systemClock());  // the sound layer only asks that there is a window
}

void stopSoundLayer() {
    SoundShutdown();
    SoundUseOutputDevice(true);
}

void dropFromPageCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fdatasync(fd);  // only pages written to the disk can be dropped
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void BM_StartBgm(benchmark::State& state) {
    const std::string name = "bgm" + std::to_string(state.range(0)) + ".wav";
    const GamePath path{files().path(), name};
    const bool cold = state.range(1) != 0;
    startSoundLayer();
    for (auto _ : state) {
        if (cold) {
            dropFromPageCache((files().path() / name).string());
        }
        const auto start = std::chrono::steady_clock::now();
        const SoundId id = SoundLoad(path);
        SoundPlay(id, 1);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (SoundRelease(id) != S_OK) {
            state.SkipWithError("the file did not load");
            break;
        }
    }
    stopSoundLayer();
}
BENCHMARK(BM_StartBgm)
    ->Args({1, 0})
    ->Args({180, 0})
    ->Args({1, 1})
    ->Args({180, 1})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

test::FakeClock fakeClock;
std::atomic<std::uint32_t>& fakeNow = fakeClock.now;

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

void BM_MixEightVoices(benchmark::State& state) {
    startSoundLayer();
    setMixerClock(&fakeClock);
    attachMixerToClock(fakeNow);
    for (int voice = 0; voice < 8; ++voice) {
        SoundPlay(SoundLoad(GamePath{files().path(), "voice" + std::to_string(voice) + ".wav"}), 1);
    }
    double cpuSeconds = 0.0;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        for (int pull = 0; pull < 100; ++pull) {  // a second of sound
            fakeNow += 10;
            mixDueFrames();
        }
        const double used = threadCpuSeconds() - start;
        state.SetIterationTime(used);
        cpuSeconds += used;
    }
    state.counters["core_percent"] = cpuSeconds / static_cast<double>(state.iterations()) * 100;
    stopSoundLayer();
    setMixerClock(nullptr);
}
BENCHMARK(BM_MixEightVoices)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tsuzuri
