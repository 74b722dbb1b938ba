#include "shell/command_line.h"

#include <charconv>

#include "shell/autoplay.h"

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

}  // namespace

std::string usageText() {
    return "Usage: tsuzuri [OPTIONS] [GAME_DIR]\n"
           "Plays the visual novel in GAME_DIR (default: the current directory).\n"
           "\n"
           "Options:\n"
           "  --headless      run without a window on screen (for tests and tools)\n"
           "  --input FILE    with --headless: play the input events listed in FILE\n"
           "  --font FILE     draw text with this font file (also: TSUZURI_FONT=FILE)\n"
           "  --autoplay[=MS] turn each page after MS milliseconds (1500) and pick the\n"
           "                  first row of each menu\n"
           "  --record DIR    write each new frame, an index and the sound into DIR\n"
           "  --frames N      close after N main-loop passes\n"
           "  --seconds S     close after S seconds\n"
           "  --trace-input   report each click and key release on stderr\n"
           "  --trace-lines   report each script line the story arrives at on stderr\n"
           "  --exit-after-first-frame  close after the first frame (measures start-up)\n"
           "  --help          show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "Controls: left click or Enter turns the page and picks a choice; right click or\n"
           "Space hides and shows the message window; Ctrl held skips; Escape quits.\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    bool haveFolder = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        std::string value;
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
        } else if (argument == "--headless") {
            result.headless = true;
        } else if (argument == "--trace-input") {
            result.traceInput = true;
        } else if (argument == "--trace-lines") {
            result.traceLines = true;
        } else if (argument == "--exit-after-first-frame") {
            result.exitAfterFirstFrame = true;
        } else if (isOption(argument, "--input")) {
            if (!takeValue(arguments, i, "--input", value)) {
                return usageError("--input needs a file");
            }
            result.inputScript = value;
        } else if (isOption(argument, "--font")) {
            if (!takeValue(arguments, i, "--font", value)) {
                return usageError("--font needs a file");
            }
            result.fontFile = value;
        } else if (isOption(argument, "--record")) {
            if (!takeValue(arguments, i, "--record", value)) {
                return usageError("--record needs a folder");
            }
            result.recordFolder = value;
        } else if (isOption(argument, "--frames")) {
            if (!takeValue(arguments, i, "--frames", value) ||
                !parsePositive(value, result.maxPasses)) {
                return usageError("--frames needs a whole number of passes above 0");
            }
        } else if (isOption(argument, "--seconds")) {
            if (!takeValue(arguments, i, "--seconds", value) ||
                !parsePositive(value, result.maxSeconds)) {
                return usageError("--seconds needs a number of seconds above 0");
            }
        } else if (isOption(argument, "--autoplay")) {
            // The time is optional, so it can only be given with "=".
            std::uint32_t ms = kDefaultAutoplayMs;
            if (argument != "--autoplay" && !parsePositive(argument.substr(11), ms)) {
                return usageError("--autoplay=MS needs a number of milliseconds above 0");
            }
            result.autoplayMs = ms;
        } else {
            return usageError("unknown option '" + argument + "'");
        }
    }
    if (!result.inputScript.empty() && !result.headless) {
        return usageError("--input works only together with --headless");
    }
    return result;
}

}  // namespace tsuzuri
