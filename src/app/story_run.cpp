#include "app/story_run.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "capture/recorder.h"
#include "common/shift_jis.h"
#include "platform/platform.h"
#include "script_engine/interpreter.h"
#include "ui/autoplay.h"
#include "ui/screen.h"
#include "ui/screen_loop.h"
#include "ui/story_screen.h"

namespace tsuzuri {
namespace {

// Input is ignored for this long after the loop starts, so that a key still held from
// launching the game is not taken as a click.
constexpr std::uint32_t kStartupGuardMs = 300;

// Holding the gamepad's Back for this long quits; a shorter press does nothing, so that a
// stray touch does not end the story.
constexpr std::uint32_t kQuitHoldMs = 1000;

// When the gamepad's Back went down, while it is held.
struct QuitHold {
    bool held = false;
    std::uint32_t since = 0;
};

// Whether QuitHold has now been held for kQuitHoldMs.
bool isQuitHoldComplete(QuitHold& hold, const ActionInput& input, std::uint32_t now) {
    if (!input.isHeld(Action::QuitHold)) {
        hold.held = false;
        return false;
    }
    if (!hold.held) {
        hold = QuitHold{true, now};
    }
    return now - hold.since >= kQuitHoldMs;
}

void traceInput(const ActionInput& input, std::uint64_t pass) {
    if (input.wasReleased(Action::Advance)) {
        std::fprintf(stderr, "tsuzuri: input: advance released (pass %llu)\n",
                     static_cast<unsigned long long>(pass));
    }
    if (input.wasReleased(Action::Toggle)) {
        std::fprintf(stderr, "tsuzuri: input: toggle released (pass %llu)\n",
                     static_cast<unsigned long long>(pass));
    }
}

void traceLine(const SceneState& scene, std::int32_t index) {
    const ScriptLine& line = *scene.lines[static_cast<size_t>(index)];
    std::fprintf(stderr, "tsuzuri: line %d %s: %s\n", static_cast<int>(index),
                 lineKindName(line.kind), sjisToUtf8ForDisplay(line.text.c_str()).c_str());
}

void askToClose(platform::WindowHandle window) {
    if (window != 0) {
        platform::postMessage(window, platform::MessageKind::Close);
    }
}

}  // namespace

void runStory(const PlayerOptions& options, RunLimits& limits, SceneState& scene,
              WindowActions& window, Preferences& preferences, const SaveSlots* slots,
              ReadRecordKeeper* readRecord) {
    platform::restartInputClock();
    Clock& clock = *scene.clock;
    const std::uint32_t loopStart = clock.nowMs();
    limits.loopStarts(loopStart);
    bool firstFrameReported = false;
    QuitHold backHeld;
    if (!options.recordFolder.empty()) {
        std::string error;
        if (!startRecording(options.recordFolder, *scene.render, loopStart, error)) {
            std::fprintf(stderr, "tsuzuri: %s; playing without recording\n", error.c_str());
        }
    }
    std::optional<Autoplay> autoplay;
    if (options.autoplayMs) {
        autoplay.emplace(scene, *options.autoplayMs);
    }
    if (options.traceLines) {
        setLineTrace(scene, traceLine);
    }
    LoopOptions loop;
    loop.guardMs = kStartupGuardMs;
    loop.beforeUpdate = [&](ActionInput& input, std::uint32_t now, std::uint64_t pass) {
        if (!input.sampled) {
            return;
        }
        if (autoplay) {
            autoplay->apply(input, now);
        }
        if (options.traceInput) {
            traceInput(input, pass);
        }
        if (isQuitHoldComplete(backHeld, input, now)) {
            askToClose(window.handle());
        }
    };
    // The story goes on at once after a page turn and while skipping.
    loop.skipsPause = [&scene](const ActionInput& input) {
        return input.wasReleased(Action::Advance) ||
               (input.isHeld(Action::Skip) && !scene.skipHalted);
    };
    loop.afterPass = [&](std::uint64_t pass) {
        recordPass(pass, *scene.render, scene);
        if (readRecord != nullptr) {
            readRecord->keepIfDue(clock.nowMs());
        }
        if (limits.passEnded(clock.nowMs())) {
            askToClose(window.handle());
        }
        if (options.exitAfterFirstFrame && !firstFrameReported) {
            firstFrameReported = true;
            // The time on the monotonic clock, for the start-up measurement to compare.
            std::printf("first-frame-ms %u\n", platform::timeGetTime());
            std::fflush(stdout);
            askToClose(window.handle());
        }
    };
    ScreenStack screens;
    screens.push(std::make_unique<StoryScreen>(scene, preferences, slots));
    runScreens(screens, window, clock, loop);
    stopRecording(clock.nowMs());
    screens.clear();
    if (options.traceLines) {
        setLineTrace(scene, nullptr);
    }
}

}  // namespace tsuzuri
