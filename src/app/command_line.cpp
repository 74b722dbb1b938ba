#include "app/command_line.h"

#include <charconv>
#include <string>
#include <string_view>

#include "ui/autoplay.h"

namespace tsuzuri {
namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances `i` past a
// separate value. Answers false when the value is missing or empty.
bool takeValue(const std::vector<std::string>& arguments, size_t& i, const std::string& name,
               std::string& value) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            return false;
        }
        value = arguments[++i];
    } else {
        value = argument.substr(name.size() + 1);
    }
    return !value.empty();
}

bool isOption(const std::string& argument, const std::string& name) {
    return argument == name || argument.starts_with(name + "=");
}

template <typename Number>
bool parsePositive(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value > 0;
}

CommandLine usageError(std::string message) {
    CommandLine result;
    result.action = CommandLine::Action::UsageError;
    result.error = std::move(message);
    return result;
}

// Options that turn something on.
struct Switch {
    const char* name;
    bool CommandLine::*field;
};
constexpr Switch kSwitches[] = {
    {"--choose-game", &CommandLine::chooseGame},
    {"--headless", &CommandLine::headless},
    {"--trace-input", &CommandLine::traceInput},
    {"--trace-lines", &CommandLine::traceLines},
    {"--exit-after-first-frame", &CommandLine::exitAfterFirstFrame},
    {"--fullscreen", &CommandLine::fullscreen},
    {"--check", &CommandLine::check},
    {"--json", &CommandLine::json},
    {"--werror", &CommandLine::werror},
    {"--mute", &CommandLine::muted},
    {"--continue", &CommandLine::continueStory},
};

// Options that name a file or folder, with what a missing name is reported as.
struct PathOption {
    const char* name;
    std::filesystem::path CommandLine::*field;
    const char* missing;
};
constexpr PathOption kPathOptions[] = {
    {"--input", &CommandLine::inputScript, "--input needs a file"},
    {"--font", &CommandLine::fontFile, "--font needs a file"},
    {"--record", &CommandLine::recordFolder, "--record needs a folder"},
    {"--state-dir", &CommandLine::stateFolder, "--state-dir needs a folder"},
};

// A number above 0 given as "--name N" or "--name=N"; answers `invalid` when it is not one,
// else an empty string.
template <typename Number>
std::string takePositive(const std::vector<std::string>& arguments, size_t& i,
                         const std::string& name, Number& field, const char* invalid) {
    std::string value;
    if (!takeValue(arguments, i, name, value) || !parsePositive(value, field)) {
        return invalid;
    }
    return {};
}

// "--autoplay[=MS]": the time is optional, so it can only be given with "=".
std::string takeAutoplay(const std::string& argument, CommandLine& result) {
    std::uint32_t ms = kDefaultAutoplayMs;
    if (argument != "--autoplay" && !parsePositive(argument.substr(11), ms)) {
        return "--autoplay=MS needs a number of milliseconds above 0";
    }
    result.autoplayMs = ms;
    return {};
}

// "--scale N" with N from 1 to kMaxWindowScale, or "--scale fit".
std::string takeScale(const std::vector<std::string>& arguments, size_t& i, CommandLine& result) {
    std::string value;
    if (takeValue(arguments, i, "--scale", value) && value == "fit") {
        result.scaleToFit = true;
        result.windowScale = 0;
        return {};
    }
    int scale = 0;
    if (value.empty() || !parsePositive(value, scale) || scale > kMaxWindowScale) {
        return "--scale needs a whole number from 1 to 8, or 'fit'";
    }
    result.windowScale = scale;
    result.scaleToFit = false;
    return {};
}

// "--volume N", "--music-volume N" or "--effects-volume N", with N from 0 to 100.
std::string takeVolume(const std::vector<std::string>& arguments, size_t& i, const char* name,
                       std::optional<int>& field) {
    std::string value;
    int volume = -1;
    if (takeValue(arguments, i, name, value)) {
        const char* end = value.data() + value.size();
        auto [ptr, ec] = std::from_chars(value.data(), end, volume);
        if (ec != std::errc() || ptr != end) {
            volume = -1;
        }
    }
    if (volume < 0 || volume > 100) {
        return std::string(name) + " needs a whole number from 0 to 100";
    }
    field = volume;
    return {};
}

// "--start-at SCRIPT[:LINE]": a LINE is the digits after the last colon, if they are all digits.
bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Cuts a ":NUMBER" off the end of `value` into `number`; false when it does not end in one.
bool cutNumber(std::string& value, std::string& number) {
    const size_t colon = value.rfind(':');
    if (colon == std::string::npos || !allDigits(std::string_view(value).substr(colon + 1))) {
        return false;
    }
    number = value.substr(colon + 1);
    value.resize(colon);
    return true;
}

// "--start-at SCRIPT[:LINE[:COLUMN]]" or "--start-at SCRIPT:*LABEL", SCRIPT as a script line
// names it or as the checker prints it. A LINE is the digits after the last colon (with a
// COLUMN after them, as the checker prints a place, the column is ignored).
std::string takeStartAt(const std::vector<std::string>& arguments, size_t& i, CommandLine& result) {
    std::string value;
    if (!takeValue(arguments, i, "--start-at", value)) {
        return "--start-at needs a script";
    }
    const size_t colon = value.rfind(':');
    std::string line;
    if (colon != std::string::npos && value.compare(colon + 1, 1, "*") == 0) {
        result.startLabel = value.substr(colon + 2);
        value.resize(colon);
        if (result.startLabel.empty()) {
            return "--start-at SCRIPT:*LABEL needs a label";
        }
    } else if (cutNumber(value, line)) {
        std::string column;
        std::string before = value;
        if (cutNumber(before, column)) {
            // SCRIPT:LINE:COLUMN: the first number is the line.
            std::swap(line, column);
            value = before;
        }
        if (!parsePositive(line, result.startLine)) {
            return "--start-at SCRIPT:LINE needs a line number from 1, not '" + line + "'";
        }
    } else if (colon != std::string::npos && colon + 1 < value.size() && value[colon + 1] >= '0' &&
               value[colon + 1] <= '9') {
        return "--start-at SCRIPT:LINE needs a line number from 1, not '" +
               value.substr(colon + 1) + "'";
    }
    if (value.empty()) {
        return "--start-at needs a script";
    }
    result.startScript = value;
    return {};
}

// Applies the option at arguments[i] to `result`, moving `i` past a separate value. Answers
// a usage error, or an empty string.
std::string applyOption(const std::vector<std::string>& arguments, size_t& i, CommandLine& result) {
    const std::string& argument = arguments[i];
    for (const Switch& option : kSwitches) {
        if (argument == option.name) {
            result.*option.field = true;
            return {};
        }
    }
    for (const PathOption& option : kPathOptions) {
        if (isOption(argument, option.name)) {
            std::string value;
            if (!takeValue(arguments, i, option.name, value)) {
                return option.missing;
            }
            // "--record --mute": an option where the name should be is a slip, not a name.
            if (value.starts_with("--")) {
                return std::string(option.missing) + ", not the option '" + value +
                       "' (a name starting with -- is written ./" + value + ")";
            }
            result.*option.field = value;
            return {};
        }
    }
    if (isOption(argument, "--frames")) {
        return takePositive(arguments, i, "--frames", result.maxPasses,
                            "--frames needs a whole number of passes above 0");
    }
    if (isOption(argument, "--seconds")) {
        return takePositive(arguments, i, "--seconds", result.maxSeconds,
                            "--seconds needs a number of seconds above 0");
    }
    if (isOption(argument, "--autoplay")) {
        return takeAutoplay(argument, result);
    }
    if (isOption(argument, "--scale")) {
        return takeScale(arguments, i, result);
    }
    if (isOption(argument, "--start-at")) {
        return takeStartAt(arguments, i, result);
    }
    if (isOption(argument, "--format")) {
        std::string value;
        if (!takeValue(arguments, i, "--format", value) ||
            (value != "text" && value != "json" && value != "sarif")) {
            return "--format needs 'text', 'json' or 'sarif'";
        }
        result.json = value == "json";
        result.sarif = value == "sarif";
        result.formatGiven = true;
        return {};
    }
    if (isOption(argument, "--ignore")) {
        std::string value;
        if (!takeValue(arguments, i, "--ignore", value) || value.empty()) {
            return "--ignore needs one or more codes, separated by commas";
        }
        for (std::size_t start = 0; start <= value.size();) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            if (comma > start) {
                result.ignoredCodes.push_back(value.substr(start, comma - start));
            }
            start = comma + 1;
        }
        return {};
    }
    if (isOption(argument, "--volume")) {
        return takeVolume(arguments, i, "--volume", result.volume);
    }
    if (isOption(argument, "--music-volume")) {
        return takeVolume(arguments, i, "--music-volume", result.musicVolume);
    }
    if (isOption(argument, "--effects-volume")) {
        return takeVolume(arguments, i, "--effects-volume", result.effectsVolume);
    }
    return "unknown option '" + argument + "'";
}

}  // namespace

std::string usageText() {
    return "Usage: tsuzuri [OPTIONS] [GAME_DIR]\n"
           "Plays the visual novel in GAME_DIR (default: the current directory).\n"
           "\n"
           "Options:\n"
           "  --choose-game   without GAME_DIR, ask for the game's folder (what the desktop's\n"
           "                  menu entry runs)\n"
           "  --headless      run without a window on screen (for tests and tools)\n"
           "  --input FILE    with --headless: play the input events listed in FILE\n"
           "  --font FILE     draw text with this font file (also: TSUZURI_FONT=FILE)\n"
           "  --scale N|fit   open the window N times 800x600 (1-8), or as large as fits the\n"
           "                  desktop; the window can then be resized and maximised\n"
           "  --fullscreen    start in fullscreen (F11 or Alt+Enter switch it at any time)\n"
           "  --volume N      play everything at N percent of its volume (0-100)\n"
           "  --music-volume N    play the music at N percent (0-100)\n"
           "  --effects-volume N  play the other sounds at N percent (0-100)\n"
           "  --mute          start muted (M unmutes)\n"
           "                  (these and --scale, --fullscreen are for this run only; the\n"
           "                  settings kept are in $XDG_CONFIG_HOME/tsuzuri/settings.ini)\n"
           "  --autoplay[=MS] turn each page after MS milliseconds (1500) and pick the\n"
           "                  first row of each menu\n"
           "  --record DIR    write each new frame, an index and the sound into DIR\n"
           "  --frames N      close after N main-loop passes\n"
           "  --seconds S     close after S seconds\n"
           "  --trace-input   report each click and key release on stderr\n"
           "  --trace-lines   report each script line the story arrives at on stderr\n"
           "  --exit-after-first-frame  close after the first frame (measures start-up)\n"
           "  --start-at SCRIPT[:LINE]  start the story at file line LINE (1) of SCRIPT in\n"
           "                  script/, with the scene the lines before it set up; also\n"
           "                  SCRIPT:*LABEL, and a place as --check prints it\n"
           "  --continue      start where the story stopped last time (in GAME_DIR; without\n"
           "                  it, outside a game folder, in the game played last)\n"
           "  --state-dir DIR remember the place where the story stops in DIR (default:\n"
           "                  $XDG_STATE_HOME/tsuzuri); runs with --headless, --record,\n"
           "                  --autoplay, --frames or --seconds remember only with it\n"
           "  --check         check the game's scripts and media, report what would go\n"
           "                  wrong as FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE], and exit\n"
           "                  (1 with errors)\n"
           "  --format text|json|sarif  with --check: the findings as lines (the default),\n"
           "                  one JSON array (--json is the same as --format json) or a\n"
           "                  SARIF 2.1.0 log\n"
           "  --json          the same as --format json\n"
           "  --werror        with --check: warnings fail the check too (exit 1)\n"
           "  --ignore CODE[,CODE]  with --check: leave out findings with these codes\n"
           "  --help          show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "Controls: left click or Enter turns the page and picks a choice; right click or\n"
           "Space hides and shows the message window; Ctrl held skips; the wheel up or Page Up\n"
           "looks back at earlier pages (the wheel down, Page Down, a click, Enter or Escape\n"
           "return); A switches auto mode; F11 or Alt+Enter switches fullscreen; M mutes and\n"
           "unmutes; + and - change the volume in steps of 10; F12 saves the screen as a PNG\n"
           "file in the pictures folder; F5 reloads the script and goes on at the same line;\n"
           "O opens the settings; Shift+C copies the page's text; Escape quits.\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    bool haveFolder = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!option) {
            if (haveFolder) {
                return usageError("only one GAME_DIR may be given");
            }
            result.gameFolder = argument;
            haveFolder = true;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        } else if (argument == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        } else if (std::string error = applyOption(arguments, i, result); !error.empty()) {
            return usageError(std::move(error));
        }
    }
    if (!result.inputScript.empty() && !result.headless) {
        return usageError("--input works only together with --headless");
    }
    if ((result.json || result.formatGiven) && !result.check) {
        return usageError("--json and --format work only together with --check");
    }
    if ((result.werror || !result.ignoredCodes.empty()) && !result.check) {
        return usageError("--werror and --ignore work only together with --check");
    }
    if (result.check && !result.startScript.empty()) {
        return usageError("--start-at plays the game; it does not go with --check");
    }
    if (result.continueStory && result.check) {
        return usageError("--continue plays the game; it does not go with --check");
    }
    if (result.continueStory && !result.startScript.empty()) {
        return usageError("--continue and --start-at each choose where the story starts");
    }
    return result;
}

}  // namespace tsuzuri
