#include "shell/command_line.h"

namespace tsuzuri {
namespace {

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
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            result.action = CommandLine::Action::Help;
            return result;
        } else if (!optionsEnded && argument == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        } else if (!optionsEnded && (argument == "--font" || argument.starts_with("--font="))) {
            if (argument == "--font") {
                if (i + 1 >= arguments.size()) {
                    return usageError("--font needs a file");
                }
                result.fontFile = arguments[++i];
            } else {
                result.fontFile = argument.substr(7);
            }
            if (result.fontFile.empty()) {
                return usageError("--font needs a file");
            }
        } else if (!optionsEnded && argument == "--exit-after-first-frame") {
            result.exitAfterFirstFrame = true;
        } else if (!optionsEnded && argument == "--trace-input") {
            result.traceInput = true;
        } else if (!optionsEnded && argument == "--trace-lines") {
            result.traceLines = true;
        } else if (!optionsEnded && argument == "--headless") {
            result.headless = true;
        } else if (!optionsEnded && (argument == "--input" || argument.starts_with("--input="))) {
            if (argument == "--input") {
                if (i + 1 >= arguments.size()) {
                    return usageError("--input needs a file");
                }
                result.inputScript = arguments[++i];
            } else {
                result.inputScript = argument.substr(8);
            }
            if (result.inputScript.empty()) {
                return usageError("--input needs a file");
            }
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return usageError("unknown option '" + argument + "'");
        } else if (haveFolder) {
            return usageError("only one GAME_DIR may be given");
        } else {
            result.gameFolder = argument;
            haveFolder = true;
        }
    }
    if (!result.inputScript.empty() && !result.headless) {
        return usageError("--input works only together with --headless");
    }
    return result;
}

}  // namespace tsuzuri
