#include "app/session.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <system_error>

#include "app/cue_worker.h"
#include "app/game_settings.h"
#include "app/story_run.h"
#include "capture/recorder.h"
#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "platform/platform.h"
#include "saves/read_record.h"
#include "saves/remembered_place.h"
#include "saves/save_file.h"
#include "script_engine/interpreter.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_chain.h"
#include "script_engine/script_file.h"
#include "script_engine/story_place.h"
#include "sound/sound_layer.h"
#include "ui/in_window_chooser.h"
#include "ui/messages.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

void showFatal(const char* text) {
    platform::showMessageBox(kErrorCaption, text);
}

fs::path currentFolder() {
    std::error_code error;
    return fs::current_path(error);
}

}  // namespace

// The game is the folder the player was started in or moved into.
Session::Session(const PlayerOptions& options)
    : options_(options),
      gameFolder_(currentFolder()),
      clock_(platform::systemClock()),
      preferences_(options.settingsFile) {
    scene_.clock = &clock_;
    scene_.render = &render_;
    preferences_.overrideForRun([&options](Settings& settings) {
        if (options.volume) {
            settings.volume = *options.volume;
        }
        if (options.musicVolume) {
            settings.musicVolume = *options.musicVolume;
        }
        if (options.effectsVolume) {
            settings.effectsVolume = *options.effectsVolume;
        }
        settings.mute = settings.mute || options.muted;
        settings.fullscreen = settings.fullscreen || options.fullscreen;
        if (options.windowScale > 0 || options.scaleToFit) {
            settings.scale = options.windowScale;
            settings.scaleToFit = options.scaleToFit;
        }
    });
}

void Session::readSettings() {
    readGameSetting(gameFolder_, "DefaultScriptFileName", "", scriptName_);
    readGameSetting(gameFolder_, "WindowTitle", "", title_);
}

bool Session::chooseGame() {
    const std::optional<fs::path> game =
        chooseInWindow(gameFolder_, ChooserKind::GameFolder, render_, clock_, chooserLoop());
    if (!game) {
        return false;
    }
    // The process follows the open game too, as a game started from its own folder would.
    std::error_code error;
    fs::current_path(*game, error);
    if (error) {
        std::fprintf(stderr, "tsuzuri: cannot enter '%s': %s\n", game->c_str(),
                     error.message().c_str());
        return false;
    }
    gameFolder_ = currentFolder();
    readSettings();
    platform::setWindowTitle(render_.window, title_);
    return true;
}

LoopOptions Session::chooserLoop() {
    limits_.loopStarts(clock_.nowMs());
    LoopOptions loop;
    loop.afterPass = [this](std::uint64_t) {
        if (limits_.passEnded(clock_.nowMs()) && render_.window != 0) {
            platform::postMessage(render_.window, platform::MessageKind::Close);
        }
    };
    loop.endsNow = [] {
        if (platform::canInputStillArrive()) {
            return false;
        }
        std::fprintf(stderr,
                     "tsuzuri: the input script has nothing left to answer the chooser with; "
                     "taking it as cancelled\n");
        return true;
    };
    return loop;
}

bool Session::continueFromRememberedPlace() {
    scene_.gameFolder = gameFolder_;  // a place is taken only from inside this game
    const std::vector<SaveSlot> saves = saves_ ? saves_->automatic() : std::vector<SaveSlot>{};
    if (saves.empty()) {
        return continueFromPlaceFile();
    }
    bool continuable = false;
    for (const SaveSlot& slot : saves_->continuable()) {
        std::string problem = slot.problem;
        if (slot.state == SaveSlot::State::Usable) {
            continuable = true;
            if (startStoryAtSave(scene_, slot.save, problem)) {
                std::fprintf(
                    stderr, "tsuzuri: continuing at line %d of %s\n",
                    static_cast<int>(slot.save.place.fileLine),
                    sjisToUtf8ForDisplay(
                        slot.save.place.scriptFile.lexically_relative(gameFolder_).string())
                        .c_str());
                return true;
            }
        }
        std::fprintf(stderr, "tsuzuri: cannot continue from %s: %s\n",
                     (saves_->folder() / (slot.name + ".save")).c_str(), problem.c_str());
    }
    const bool ended =
        !continuable && std::any_of(saves.begin(), saves.end(), [](const SaveSlot& s) {
            return s.state == SaveSlot::State::Usable;
        });
    std::fprintf(stderr, ended ? "tsuzuri: the story ended after its last save; starting from "
                                 "the beginning\n"
                               : "tsuzuri: starting from the beginning\n");
    return false;
}

// The place file of earlier versions, for a game no automatic save has been made of yet.
bool Session::continueFromPlaceFile() {
    StoryPlace place;
    std::string reason;
    const fs::path file = options_.stateFolder / placeFileName(gameFolder_, title_);
    switch (recallPlace(options_.stateFolder, gameFolder_, title_, place, reason)) {
        case RecalledPlace::None:
            std::fprintf(stderr,
                         "tsuzuri: no remembered place for this game; starting from the "
                         "beginning\n");
            return false;
        case RecalledPlace::Unusable:
            break;
        case RecalledPlace::Found:
            if (startStoryAtPlace(scene_, place, reason)) {
                std::fprintf(
                    stderr, "tsuzuri: continuing at line %d of %s\n",
                    static_cast<int>(place.fileLine),
                    sjisToUtf8ForDisplay(place.scriptFile.lexically_relative(gameFolder_).string())
                        .c_str());
                return true;
            }
            break;
    }
    std::fprintf(stderr, "tsuzuri: cannot continue from %s: %s; starting from the beginning\n",
                 file.c_str(), reason.c_str());
    return false;
}

bool Session::loadNamedOrChosenScript() {
    if (!scriptName_.empty() &&
        loadScript(scene_, GamePath{gameFolder_, "script\\" + scriptName_})) {
        return true;
    }
    fs::path chosen;
    if (!chooseScriptFile(gameFolder_ / "script", chosen, render_, clock_, chooserLoop())) {
        return false;
    }
    if (loadScript(scene_, GamePath{chosen, ""})) {
        return true;
    }
    showFatal(kChosenScriptFailedText);
    return false;
}

bool Session::loadStartScript() {
    if (options_.continueStory && continueFromRememberedPlace()) {
        return true;
    }
    if (!options_.startScript.empty()) {
        return loadScript(scene_, GamePath{gameFolder_, "script\\" + options_.startScript});
    }
    return loadNamedOrChosenScript();
}

void Session::keepPlace() {
    if (!keepingPlace_) {
        return;
    }
    std::string error;
    SaveRecord save;
    if (!saveOfStory(scene_, save)) {
        // The story has ended: the next --continue starts it from the beginning.
        forgetPlace(options_.stateFolder, gameFolder_, title_);
        if (saves_ && !saves_->markStoryEnded(error)) {
            std::fprintf(stderr, "tsuzuri: cannot note that the story ended: %s\n", error.c_str());
        }
        return;
    }
    save.savedAt = saveTimeNow(clock_.nowMs() - render_.startedAtMs);
    if (!saves_->writeAutomatic(std::move(save), copyFrame(render_), error)) {
        std::fprintf(stderr, "tsuzuri: cannot keep where the story stopped: %s\n", error.c_str());
    }
    if (!rememberLastGame(options_.stateFolder, gameFolder_, error)) {
        std::fprintf(stderr, "tsuzuri: cannot remember the game played last: %s\n", error.c_str());
    }
}

void Session::stopCuesAndSound() {
    if (started_ >= Started::CueWorker) {
        stopCueWorker();
    }
    if (started_ >= Started::Sound) {
        SoundShutdown();
    }
}

void Session::endAfterLosingTheDisplay() {
    keepPlace();
    stopRecording(clock_.nowMs());
    stopCuesAndSound();
}

int Session::end(const char* fatalText) {
    platform::setDisplayLostHandler(nullptr);
    if (fatalText != nullptr) {
        showFatal(fatalText);
    }
    stopCuesAndSound();
    if (started_ >= Started::RenderDevice) {
        shutdownRenderDevice(render_);
    }
    // A window class that could not make its window is left registered, as it always was.
    if (started_ >= Started::Window) {
        unregisterMainWindowClass();
    }
    platform::timeEndPeriod(1);
    return 0;
}

int Session::run() {
    platform::timeBeginPeriod(1);
    if (!options_.chooseGameInWindow) {
        readSettings();
    }

    platform::setDisplayLostHandler([this] { endAfterLosingTheDisplay(); });
    // The font search reads the system's font configuration while the window is being made.
    startTextFontSearch();
    const Settings& settings = preferences_.current();
    const platform::WindowHandle window =
        createMainWindow(settings.scale, settings.scaleToFit, settings.fullscreen);
    if (window == 0) {
        return end(kWindowFailedText);
    }
    started_ = Started::Window;
    platform::setWindowTitle(window, title_);

    const Status device = initRenderDevice(render_, window, clock_);
    if (failed(device)) {
        return end(device == E_NO_TEXT_FONT ? kNoTextFontText : kRenderDeviceFailedText);
    }
    started_ = Started::RenderDevice;
    if (options_.chooseGameInWindow && !chooseGame()) {
        return end(nullptr);  // the reader changed their mind: nothing to report
    }
    // Set before the output opens, so the first sound is already at this volume.
    applySoundSettings(preferences_.current());
    if (failed(SoundInit(window, clock_))) {
        return end(kSoundFailedText);
    }
    started_ = Started::Sound;
    if (failed(startCueWorker(clock_))) {
        return end(kThreadFailedText);
    }
    started_ = Started::CueWorker;
    if (!options_.savesFolder.empty()) {
        saves_.emplace(options_.savesFolder, gameFolder_, title_);
    }
    if (!loadStartScript()) {
        return end(kScenarioFailedText);
    }
    loadWindowPicture(render_, scene_.gameFolder);
    if (!options_.startScript.empty()) {
        // The scene the scripts before it set up, on the story's way from its start script.
        std::vector<ScriptLine> before;
        if (!scriptName_.empty()) {
            before = lastingLinesOnTheWay(
                gameFolder_, GamePath{gameFolder_, "script\\" + scriptName_}, scene_.scriptFile);
        }
        startStoryAt(scene_, lineIndexAtFileLine(scene_, options_.startLine), std::move(before));
    }
    keepingPlace_ = options_.rememberPlace && !options_.stateFolder.empty() && saves_.has_value();

    if (options_.rememberPlace && !options_.stateFolder.empty()) {
        readRecord_.emplace(readRecordFile(options_.stateFolder, gameFolder_, title_),
                            scene_.readLines);
    }

    runStory(options_, limits_, scene_, window_, preferences_, keepingPlace_ ? &*saves_ : nullptr,
             readRecord_ ? &*readRecord_ : nullptr);
    if (readRecord_) {
        readRecord_->keep();
    }
    keepPlace();
    keepingPlace_ = false;

    clearScript(scene_);
    return end(nullptr);
}

}  // namespace tsuzuri
