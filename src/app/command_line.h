// The player's command line: `tsuzuri [OPTIONS] [GAME_DIR]`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tsuzuri {

// The largest whole window scale --scale takes.
constexpr int kMaxWindowScale = 8;

struct CommandLine {
    enum class Action { Play, Help, Version, UsageError };

    Action action = Action::Play;
    std::string error;                 // for UsageError: what is wrong
    std::filesystem::path gameFolder;  // empty: the current directory
    // --choose-game, what the desktop's menu entry runs: without GAME_DIR the game's folder is
    // asked for.
    bool chooseGame = false;
    bool headless = false;
    std::filesystem::path inputScript;  // headless input; empty: none
    bool traceInput = false;
    bool traceLines = false;
    bool exitAfterFirstFrame = false;
    std::optional<std::uint32_t> autoplayMs;  // --autoplay[=MS]
    std::filesystem::path recordFolder;       // --record DIR
    std::uint64_t maxPasses = 0;              // --frames N
    double maxSeconds = 0.0;                  // --seconds S
    std::filesystem::path fontFile;           // empty: ask the system for a Japanese font
    int windowScale = 0;                      // --scale N (1-8); 0: not given
    bool scaleToFit = false;                  // --scale fit
    bool fullscreen = false;                  // --fullscreen
    std::optional<int> volume;                // --volume 0-100
    std::optional<int> musicVolume;           // --music-volume 0-100
    std::optional<int> effectsVolume;         // --effects-volume 0-100
    bool muted = false;                       // --mute
    bool check = false;                       // --check: check the game instead of playing
    bool json = false;                        // --json or --format json: the findings as JSON
    bool sarif = false;                       // --format sarif: the findings as a SARIF log
    bool formatGiven = false;                 // --format was given
    bool werror = false;                      // --werror: warnings fail the check
    std::vector<std::string> ignoredCodes;    // --ignore CODE[,CODE...]
    std::string startScript;                  // --start-at SCRIPT[:LINE]; empty: Game.INI's
    std::int32_t startLine = 1;               // the file line of SCRIPT to start at
    std::string startLabel;                   // --start-at SCRIPT:*LABEL; empty: none
    bool continueStory = false;               // --continue: from the remembered place
    std::filesystem::path stateFolder;        // --state-dir DIR; empty: the default folder
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of `tsuzuri --help`.
std::string usageText();

}  // namespace tsuzuri
