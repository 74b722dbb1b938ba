// The entry routine: start-up in order, the main loop, shutdown in order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tsuzuri {

struct PlayerOptions {
    // Report each release of the advance and toggle inputs on stderr (for checking input
    // devices, and for tests that drive a real window).
    bool traceInput = false;
    // Report each script line the story arrives at on stderr, as "line N Kind: text" (for
    // following a story's path, and for tests that check it).
    bool traceLines = false;
    // Close the window right after the first frame (for measuring start-up).
    bool exitAfterFirstFrame = false;
    // Turn pages and answer menus unattended, after this many milliseconds each.
    std::optional<std::uint32_t> autoplayMs;
    // Record frames, their index and the sound into this folder (empty: no recording).
    std::filesystem::path recordFolder;
    // Close the window after this many main-loop passes or seconds (0: no limit).
    std::uint64_t maxPasses = 0;
    double maxSeconds = 0.0;
    // The window: N times 800x600 (0: the plain fixed window), as large as the desktop allows,
    // or fullscreen. With any of them it can be resized and maximised.
    // Open the window first and let the reader pick the game's folder in it (from the current
    // directory); the run then plays that folder. Cancelling ends the run quietly.
    bool chooseGameInWindow = false;
    int windowScale = 0;
    bool scaleToFit = false;
    bool fullscreen = false;
    // The volumes (0-100) given for this run, and whether it starts muted; the window's
    // options above and these are laid over the kept settings, without changing them.
    std::optional<int> volume;
    std::optional<int> musicVolume;
    std::optional<int> effectsVolume;
    bool muted = false;
    // The reader's settings (empty: none are read or kept).
    std::filesystem::path settingsFile;
    // Start the story in this script of the "script" folder (as a script line names it), at
    // this file line, instead of in the start script of Game.INI (empty: from Game.INI).
    std::string startScript;
    std::int32_t startLine = 1;
    // Start the story at the newest automatic save (said on stderr when there is none or none
    // can be used; the story then starts from the beginning).
    bool continueStory = false;
    // Keep the place as a new automatic save when the run ends while the story is under way,
    // note that it has ended when it has, and let the reader save (F6): in `savesFolder`.
    bool rememberPlace = false;
    std::filesystem::path stateFolder;  // empty: nothing is remembered or recalled
    std::filesystem::path savesFolder;  // empty: nothing is saved or loaded
};

// Whether the story can start at file line `line` of `script` (or, with a `label`, at that
// label) in the game of the current directory; a script named as the checker prints it becomes
// the name a script line would give, and a label becomes its file line. Otherwise says why in
// `problem`.
bool resolveStartAt(std::string& script, std::int32_t& line, const std::string& label,
                    std::string& problem);

// Runs the game in the current directory until its window closes. Every start-up failure is
// reported in a message box. Always answers the exit code 0.
int runPlayer(const PlayerOptions& options = {});

}  // namespace tsuzuri
