// One run of the player. The session owns what the run brings up and takes down again: the
// window, the frame, the sound output and the cue worker, in this order; the open game folder
// (Game.INI, the start script, the remembered place all come from it, never from the current
// directory); the story's record; the window's own actions; and the story's run of the screens.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/player.h"
#include "app/read_record_keeper.h"
#include "app/run_limits.h"
#include "saves/save_slots.h"
#include "script_engine/scene_state.h"
#include "ui/main_window.h"
#include "ui/screen_loop.h"

namespace tsuzuri {

class Session {
public:
    explicit Session(const PlayerOptions& options);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts up, plays the story until the window closes, and takes everything down again.
    // Every start-up failure is reported in a message box. Answers the exit code, always 0.
    int run();

private:
    // How far start-up got; the run ends by taking down exactly that, newest first.
    enum class Started { Nothing, Window, RenderDevice, Sound, CueWorker };

    // Reads the title and the start script's name from the open game's Game.INI.
    void readSettings();
    // Lets the reader pick the game's folder in the window; false when they cancel.
    bool chooseGame();
    // Loads the script the story starts in: the remembered place, the --start-at script, the
    // one Game.INI names or else the one the reader picks.
    bool loadStartScript();
    bool continueFromRememberedPlace();
    bool continueFromPlaceFile();
    bool loadNamedOrChosenScript();
    // At the end of a run: the place where the story stands is remembered, or forgotten once
    // the story has ended.
    void keepPlace();
    // Stops the cue worker and the sound, as far as they were started.
    void stopCuesAndSound();
    // With the display gone the window cannot be taken down; everything beside it is, so that
    // the recording is complete and no thread is left running while the process ends.
    void endAfterLosingTheDisplay();
    // Shows the fatal message (if any), takes down what was started, and answers the exit code.
    int end(const char* fatalText);
    // What a chooser's loop does around its passes: the run's limits apply, and a headless
    // chooser that its input can no longer answer is cancelled.
    LoopOptions chooserLoop();

    const PlayerOptions& options_;
    Started started_ = Started::Nothing;
    std::filesystem::path gameFolder_;  // the open game, absolute
    std::string title_;
    std::string scriptName_;
    bool keepingPlace_ = false;                   // the place is remembered at the end of the run
    Clock& clock_;                                // the run's time, handed to all that reads it
    RunLimits limits_{options_};                  // --frames and --seconds, from the first pass
    std::optional<SaveSlots> saves_;              // the open game's saves, when the run keeps them
    std::optional<ReadRecordKeeper> readRecord_;  // the pages read, when the run keeps them
    RenderState render_;                          // the frame and the window it goes to
    SceneState scene_;                            // the story
    Preferences preferences_;  // the reader's settings: the kept ones and this run's
    WindowActions window_{render_, &scene_, &preferences_};
};

}  // namespace tsuzuri
