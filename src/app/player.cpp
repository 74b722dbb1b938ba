#include "app/player.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/cue_worker.h"
#include "app/game_settings.h"
#include "app/remembered_place.h"
#include "capture/recorder.h"
#include "common/file_buffer.h"
#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "platform/platform.h"
#include "script_engine/interpreter.h"
#include "script_engine/read_pages.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "script_engine/story_place.h"
#include "sound/sound_layer.h"
#include "ui/auto_mode.h"
#include "ui/autoplay.h"
#include "ui/in_window_chooser.h"
#include "ui/input_reader.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/screen.h"
#include "ui/screen_loop.h"
#include "ui/story_screen.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Input is ignored for this long after the loop starts, so that a key still held from
// launching the game is not taken as a click.
constexpr std::uint32_t kStartupGuardMs = 300;

void showFatal(const char* text) {
    platform::showMessageBox(kErrorCaption, text);
}

// Loads the script named in Game.INI, or else the one the reader picks.
bool findStartScript(const std::string& scriptName) {
    if (!scriptName.empty()) {
        std::error_code error;
        fs::path folder = fs::current_path(error);
        if (!error && loadScript(GamePath{folder, "script\\" + scriptName})) {
            return true;
        }
    }
    fs::path chosen;
    if (!chooseScriptFile("script", chosen)) {
        return false;
    }
    if (loadScript(GamePath{chosen, ""})) {
        return true;
    }
    showFatal(kChosenScriptFailedText);
    return false;
}

// Where this run remembers its place: set once the game is known; an empty state folder
// remembers nothing.
struct PlaceKeeping {
    fs::path stateFolder;
    fs::path gameFolder;
    std::string title;
};
PlaceKeeping placeKeeping;

// At the end of a run: the place where the story stands is remembered, or forgotten once the
// story has ended.
void keepPlace() {
    if (placeKeeping.stateFolder.empty()) {
        return;
    }
    const std::optional<StoryPlace> place = storyPlaceNow();
    if (!place) {
        forgetPlace(placeKeeping.stateFolder, placeKeeping.gameFolder, placeKeeping.title);
        return;
    }
    std::string error;
    if (!rememberPlace(placeKeeping.stateFolder, placeKeeping.gameFolder, placeKeeping.title,
                       *place, error)) {
        std::fprintf(stderr, "tsuzuri: cannot remember where the story stopped: %s\n",
                     error.c_str());
    }
}

// --continue: starts the story at the remembered place. When there is none, or it cannot be
// used, says so in one line and answers false; the story then starts from the beginning.
bool continueFromRememberedPlace(const fs::path& stateFolder, const std::string& title) {
    std::error_code error;
    const fs::path gameFolder = fs::current_path(error);
    StoryPlace place;
    std::string reason;
    const fs::path file = stateFolder / placeFileName(gameFolder, title);
    switch (recallPlace(stateFolder, gameFolder, title, place, reason)) {
        case RecalledPlace::None:
            std::fprintf(stderr,
                         "tsuzuri: no remembered place for this game; starting from the "
                         "beginning\n");
            return false;
        case RecalledPlace::Unusable:
            break;
        case RecalledPlace::Found:
            if (startStoryAtPlace(place, reason)) {
                std::fprintf(
                    stderr, "tsuzuri: continuing at line %d of %s\n",
                    static_cast<int>(place.fileLine),
                    sjisToUtf8ForDisplay(place.scriptFile.lexically_relative(gameFolder).string())
                        .c_str());
                return true;
            }
            break;
    }
    std::fprintf(stderr, "tsuzuri: cannot continue from %s: %s; starting from the beginning\n",
                 file.c_str(), reason.c_str());
    return false;
}

GamePath startAtPath(const std::string& script) {
    std::error_code error;
    return GamePath{fs::current_path(error), "script\\" + script};
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

// Whether a limit of the run (--frames, --seconds) has been reached.
bool runLimitReached(const PlayerOptions& options, std::uint64_t pass, std::uint32_t elapsedMs) {
    return (options.maxPasses != 0 && pass >= options.maxPasses) ||
           (options.maxSeconds > 0.0 && elapsedMs >= options.maxSeconds * 1000.0);
}

void traceLine(std::int32_t index) {
    const ScriptLine& line = *sceneState.lines[static_cast<size_t>(index)];
    std::fprintf(stderr, "tsuzuri: line %d %s: %s\n", static_cast<int>(index),
                 lineKindName(line.kind), sjisToUtf8ForDisplay(line.text.c_str()).c_str());
}

void runMainLoop(const PlayerOptions& options) {
    platform::restartInputClock();
    const std::uint32_t loopStart = platform::timeGetTime();
    bool firstFrameReported = false;
    QuitHold backHeld;
    if (!options.recordFolder.empty()) {
        std::string error;
        if (!startRecording(options.recordFolder, loopStart, error)) {
            std::fprintf(stderr, "tsuzuri: %s; playing without recording\n", error.c_str());
        }
    }
    std::optional<Autoplay> autoplay;
    if (options.autoplayMs) {
        autoplay.emplace(*options.autoplayMs);
    }
    if (options.traceLines) {
        setLineTrace(traceLine);
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
        if (isQuitHoldComplete(backHeld, input, now) && mainWindow != 0) {
            platform::postMessage(mainWindow, platform::MessageKind::Close);
        }
    };
    loop.afterPass = [&](std::uint64_t pass) {
        const std::uint32_t elapsed = platform::timeGetTime() - loopStart;
        recordPass(pass);
        if (runLimitReached(options, pass, elapsed) && mainWindow != 0) {
            platform::postMessage(mainWindow, platform::MessageKind::Close);
        }
        if (options.exitAfterFirstFrame && !firstFrameReported) {
            firstFrameReported = true;
            // The time on the monotonic clock, for the start-up measurement to compare.
            std::printf("first-frame-ms %u\n", platform::timeGetTime());
            std::fflush(stdout);
            platform::postMessage(mainWindow, platform::MessageKind::Close);
        }
    };
    ScreenStack screens;
    screens.push(std::make_unique<StoryScreen>());
    WindowActions window;
    runScreens(screens, window, loop);
    stopRecording();
    screens.clear();
    if (options.traceLines) {
        setLineTrace(nullptr);
    }
}

// How far start-up got; the run ends by taking down exactly that, newest first.
enum class Started { Nothing, Window, RenderDevice, Sound, CueWorker };

// How far the current run's start-up has got.
Started startedSoFar = Started::Nothing;

// Stops the cue worker and the sound, as far as they were started.
void stopCuesAndSound() {
    if (startedSoFar >= Started::CueWorker) {
        stopCueWorker();
    }
    if (startedSoFar >= Started::Sound) {
        SoundShutdown();
    }
}

// With the display gone the window cannot be taken down; everything beside it is, so that
// the recording is complete and no thread is left running while the process ends.
void endAfterLosingTheDisplay() {
    keepPlace();
    stopRecording();
    stopCuesAndSound();
}

// Shows the fatal message (if any), takes down what was started, and answers the exit code,
// which is always 0.
int endRun(const char* fatalText) {
    platform::setDisplayLostHandler(nullptr);
    if (fatalText != nullptr) {
        showFatal(fatalText);
    }
    stopCuesAndSound();
    if (startedSoFar >= Started::RenderDevice) {
        shutdownRenderDevice();
    }
    // A window class that could not make its window is left registered, as it always was.
    if (startedSoFar >= Started::Window) {
        unregisterMainWindowClass();
    }
    platform::timeEndPeriod(1);
    return 0;
}

}  // namespace

bool canStartAt(const std::string& script, std::int32_t line, std::string& problem) {
    FileBuffer buffer;
    if (!loadWholeFile(buffer, startAtPath(script), kMaxTextFileBytes)) {
        problem = "--start-at: no script '" + script + "' in script/";
        return false;
    }
    const std::int32_t lines = fileLineCount(buffer);
    if (line > lines) {
        problem = "--start-at: script/" + script + " has " + std::to_string(lines) +
                  " lines; line " + std::to_string(line) + " is past its end";
        return false;
    }
    return true;
}

int runPlayer(const PlayerOptions& options) {
    platform::timeBeginPeriod(1);
    // Every run starts from the state a fresh process has (tests run several in one process).
    resetSceneState();
    clearReadPages();

    std::string scriptName;
    std::string title;
    const std::string empty;
    if (!options.chooseGameInWindow) {
        readGameSetting("DefaultScriptFileName", empty, scriptName);
        readGameSetting("WindowTitle", empty, title);
    }

    startedSoFar = Started::Nothing;
    placeKeeping = PlaceKeeping{};
    platform::setDisplayLostHandler(endAfterLosingTheDisplay);
    // The font search reads the system's font configuration while the window is being made.
    startTextFontSearch();
    if (!createMainWindow(options.windowScale, options.scaleToFit, options.fullscreen)) {
        return endRun(kWindowFailedText);
    }
    startedSoFar = Started::Window;
    platform::setWindowTitle(mainWindow, title);

    const Status device = initRenderDevice();
    if (failed(device)) {
        return endRun(device == E_NO_TEXT_FONT ? kNoTextFontText : kRenderDeviceFailedText);
    }
    startedSoFar = Started::RenderDevice;
    if (options.chooseGameInWindow) {
        std::error_code error;
        const std::optional<fs::path> game =
            chooseInWindow(fs::current_path(error), ChooserKind::GameFolder);
        if (!game) {
            return endRun(nullptr);  // the reader changed their mind: nothing to report
        }
        fs::current_path(*game, error);
        if (error) {
            std::fprintf(stderr, "tsuzuri: cannot enter '%s': %s\n", game->c_str(),
                         error.message().c_str());
            return endRun(nullptr);
        }
        readGameSetting("DefaultScriptFileName", empty, scriptName);
        readGameSetting("WindowTitle", empty, title);
        platform::setWindowTitle(mainWindow, title);
    }
    // Set before the output opens, so the first sound is already at this volume.
    SoundSetVolume(options.volume);
    SoundSetMuted(options.muted);
    if (failed(SoundInit())) {
        return endRun(kSoundFailedText);
    }
    startedSoFar = Started::Sound;
    if (failed(startCueWorker())) {
        return endRun(kThreadFailedText);
    }
    startedSoFar = Started::CueWorker;
    const bool continued =
        options.continueStory && continueFromRememberedPlace(options.stateFolder, title);
    const bool loaded = continued ? true
                        : options.startScript.empty()
                            ? findStartScript(scriptName)
                            : loadScript(startAtPath(options.startScript));
    if (!loaded) {
        return endRun(kScenarioFailedText);
    }
    loadWindowPicture(sceneState.gameFolder);
    if (!options.startScript.empty()) {
        startStoryAt(lineIndexAtFileLine(options.startLine));
    }
    if (options.rememberPlace) {
        std::error_code error;
        placeKeeping = PlaceKeeping{options.stateFolder, fs::current_path(error), title};
    }

    runMainLoop(options);
    keepPlace();
    placeKeeping = PlaceKeeping{};

    clearScript();
    return endRun(nullptr);
}

}  // namespace tsuzuri
