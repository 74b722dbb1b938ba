// Sound end to end: a one-shot effect, looping music and two Wao sequences (one repeating)
// played through the real SDL output (its disk driver, which writes what the device is given
// to a file at the pace of a real device), with the cue worker thread timing the sequences.
// Each sound is a level on its own bit, so every frame of the capture tells which sounds were
// playing in it; the repeating sound also counts its frames (in tens) below the bits, so that a
// repeat following straight on from the previous one still shows where it began.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "app/cue_worker.h"
#include "app/player.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"
#include "support/scoped_env.h"
#include "support/scoped_sound.h"
#include "support/temp_folder.h"
#include "support/wav_builder.h"

namespace tsuzuri {
namespace {

constexpr int kUnit = 1000;
constexpr int kSe = 1, kA = 2, kB = 4, kLoop = 8;  // bits of the left channel
constexpr std::int16_t kMusic = 3000;              // the right channel
constexpr double kFramesPerMs = 48.0;

std::string leftLevel(std::uint32_t ms, int bit) {
    return test::outputFormatWav(
        test::constantStereo16(ms * 48, static_cast<std::int16_t>(bit * kUnit), 0));
}

// 200 ms on the loop's bit, counting 0 to 959 below it.
std::string countingLoop() {
    return test::outputFormatWav(test::stereo16(
        9600, [](std::uint32_t i) { return static_cast<std::int16_t>(kLoop * kUnit + i / 10); },
        [](std::uint32_t) { return std::int16_t{0}; }));
}

// Runs of frames [start, end) in which `has` holds.
template <typename Has>
std::vector<std::pair<std::size_t, std::size_t>> runsWhere(std::size_t frames, Has has) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < frames;) {
        if (!has(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < frames && has(end)) {
            ++end;
        }
        runs.emplace_back(i, end);
        i = end;
    }
    return runs;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

TEST(SoundEndToEndTest, EffectMusicAndSequencesSoundOnTime) {
    test::TempFolder game;
    const std::string capture = (game.path() / "capture.raw").string();
    test::ScopedSound sound;
    game.write("wave/se.wav", leftLevel(300, kSe));
    game.write("wave/a.wav", leftLevel(400, kA));
    game.write("wave/b.wav", leftLevel(300, kB));
    game.write("wave/loop.wav", countingLoop());
    game.write("wave/bgm.wav", test::outputFormatWav(test::constantStereo16(24000, 0, kMusic)));
    game.write("wave/seq.wao",
               "sequence\r\na.wav\r\n* 0.5\x95\x62\x83\x45\x83\x46\x83\x43\x83\x67\r\nb.wav\r\n");
    // 200 ms of sound and 50 ms of quiet: a device a few percent slower than the clock (as the
    // disk driver is) still plays every repeat whole.
    game.write("wave/loop.wao", "loop\r\nloop.wav\r\n* 0.05\r\n");

    // The player's order: window (a stand-in), sound, worker; then what the script's lines do.
    platform::selectBackend(platform::Backend::Headless);
    const auto opened = std::chrono::steady_clock::now();
    ASSERT_EQ(sound.start("disk", capture.c_str()), S_OK);
    ASSERT_EQ(startCueWorker(platform::systemClock()), S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const double effectAt = msSince(opened);
    {
        // One story step: the effect and the music are due together, however long the
        // music takes to load on a busy machine.
        const SoundStep step;
        const SoundId se = SoundLoad(GamePath{game.path(), "wave\\se.wav"});
        ASSERT_GT(se, 0);
        SoundPlay(se, 0);
        const SoundId bgm = SoundLoad(GamePath{game.path(), "wave\\bgm.wav"});
        ASSERT_GT(bgm, 0);
        SoundPlay(bgm, 1);
    }
    clearCueTrack(0);
    const double sequenceAt = msSince(opened);
    ASSERT_EQ(loadCueTrack(GamePath{game.path(), "wave\\seq.wao"}, 0), S_OK);
    clearCueTrack(1);
    ASSERT_EQ(loadCueTrack(GamePath{game.path(), "wave\\loop.wao"}, 1), S_OK);

    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    const double closedAt = msSince(opened);
    stopCueWorker();
    sound.stop();
    platform::selectBackend(platform::Backend::Sdl);

    const std::string bytes = test::readBytes(capture);
    const std::size_t frames = bytes.size() / 4;
    std::vector<std::int16_t> samples(frames * 2);
    std::memcpy(samples.data(), bytes.data(), frames * 4);
    ASSERT_GT(frames, 48u * 2000);

    // Every frame must decode: the left channel a sum of the bits, the right music or nothing.
    std::vector<int> mask(frames);
    std::vector<int> count(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const int left = samples[2 * i];
        mask[i] = left / kUnit;
        count[i] = left % kUnit;
        ASSERT_TRUE(count[i] == 0 || (mask[i] & kLoop) != 0) << "frame " << i;
        ASSERT_TRUE(samples[2 * i + 1] == 0 || samples[2 * i + 1] == kMusic) << "frame " << i;
    }
    const auto runsOf = [&](int bit) {
        return runsWhere(frames, [&](std::size_t i) { return (mask[i] & bit) != 0; });
    };
    const auto music = runsWhere(frames, [&](std::size_t i) { return samples[2 * i + 1] != 0; });
    const auto effect = runsOf(kSe);
    const auto a = runsOf(kA);
    const auto b = runsOf(kB);
    // The repeats: a new one wherever the count starts again.
    std::vector<std::pair<std::size_t, std::size_t>> loop;
    for (const auto& [start, end] : runsOf(kLoop)) {
        std::size_t from = start;
        for (std::size_t i = start + 1; i < end; ++i) {
            if (count[i] < count[i - 1]) {
                loop.emplace_back(from, i);
                from = i;
            }
        }
        loop.emplace_back(from, end);
    }

    // The device runs at its own pace, a little off the clock; its frames are converted to
    // milliseconds of the clock by the ratio over the whole run.
    const double msPerFrame = closedAt / static_cast<double>(frames);
    const auto ms = [&](std::size_t from, std::size_t to) {
        return (static_cast<double>(to) - static_cast<double>(from)) * msPerFrame;
    };
    SCOPED_TRACE("ms per frame " + std::to_string(msPerFrame));
    // Starts land where their times stand in the mix; the device runs at its own pace, so its
    // frames stand for the clock only on the whole. The margins are for a busy machine.
    const double early = 20, late = 60;

    // Each one-shot sounds once, whole; the music starts with the effect and loops unbroken
    // to the end.
    ASSERT_EQ(effect.size(), 1u);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    ASSERT_EQ(music.size(), 1u);
    EXPECT_EQ(effect[0].second - effect[0].first, 300u * 48);
    EXPECT_EQ(a[0].second - a[0].first, 400u * 48);
    EXPECT_EQ(b[0].second - b[0].first, 300u * 48);
    EXPECT_EQ(music[0].second, frames);
    EXPECT_NEAR(ms(0, effect[0].first), effectAt, late);
    EXPECT_LE(ms(effect[0].first, music[0].first), 15.0);

    // The sequence: A when it was loaded, B 0.5 s after A ended.
    const double aDelay = ms(effect[0].first, a[0].first) - (sequenceAt - effectAt);
    EXPECT_GT(aDelay, -early);
    EXPECT_LT(aDelay, late);
    const double bAfterA = ms(a[0].first, b[0].first);
    EXPECT_GT(bAfterA, 900 - early);
    EXPECT_LT(bAfterA, 900 + late);

    // The repeating sequence: every run sounds, whole, 250 ms after the previous one began.
    ASSERT_GE(loop.size(), 8u);
    EXPECT_LT(ms(a[0].first, loop[0].first), late);
    for (std::size_t i = 0; i + 1 < loop.size(); ++i) {
        SCOPED_TRACE("repeat " + std::to_string(i + 1));
        EXPECT_EQ(loop[i].second - loop[i].first, 200u * 48);
        EXPECT_EQ(count[loop[i].first], 0);
        EXPECT_EQ(count[loop[i].second - 1], 959);
        const double period = ms(loop[i].first, loop[i + 1].first);
        EXPECT_GT(period, 250 - early);
        EXPECT_LT(period, 250 + early);
    }
    EXPECT_LE(loop.back().second - loop.back().first, 200u * 48);
    EXPECT_GE(static_cast<double>(loop.size()), ms(loop[0].first, frames) / (250.0 + early))
        << "no repeat went missing";
}

// A whole headless run of the player opens the output at start-up and closes it at the end.
TEST(SoundEndToEndTest, PlayerRunOpensAndClosesTheOutput) {
    test::TempFolder game;
    const std::string capture = (game.path() / "capture.raw").string();
    test::ScopedEnv env;
    env.set("SDL_AUDIODRIVER", "disk");
    env.set("SDL_DISKAUDIOFILE", capture.c_str());
    game.write("Game.INI", "[GameState]\r\nDefaultScriptFileName=a.txt\r\n");
    game.write("script/a.txt", "hello\r\n");
    platform::selectBackend(platform::Backend::Headless);
    platform::ScriptedInput input;
    std::string error;
    ASSERT_TRUE(platform::parseScriptedInput("ms 200 close\n", "test", input, error)) << error;
    platform::setHeadlessInput(input);
    {
        test::CurrentDirectory inGame(game.path());
        EXPECT_EQ(runPlayer(), 0);
    }
    platform::selectBackend(platform::Backend::Sdl);
    EXPECT_TRUE(platform::headlessMessageLog().empty());
    const std::string bytes = test::readBytes(capture);
    EXPECT_GT(bytes.size(), 48u * 4 * 100) << "the device ran while the player did";
    EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos) << "nothing was played";
}

}  // namespace
}  // namespace tsuzuri
