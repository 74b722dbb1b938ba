// Reading input scripts for the headless backend.
#include <charconv>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

template <typename Number>
bool parseNumber(std::string_view word, Number& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool parseKey(std::string_view word, int& key) {
    static constexpr struct {
        std::string_view name;
        int key;
    } kKeys[] = {{"left", VK_LBUTTON},
                 {"right", VK_RBUTTON},
                 {"middle", VK_MBUTTON},
                 {"enter", VK_RETURN},
                 {"space", VK_SPACE},
                 {"ctrl", VK_CONTROL},
                 {"shift", VK_SHIFT},
                 {"escape", VK_ESCAPE},
                 {"up", VK_UP},
                 {"down", VK_DOWN},
                 {"arrow-left", VK_LEFT},
                 {"arrow-right", VK_RIGHT},
                 {"pageup", VK_PRIOR},
                 {"pagedown", VK_NEXT},
                 {"delete", VK_DELETE},
                 {"plus", VK_OEM_PLUS},
                 {"minus", VK_OEM_MINUS},
                 {"a", VK_A},
                 {"c", VK_C},
                 {"l", VK_L},
                 {"m", VK_M},
                 {"o", VK_O},
                 {"r", VK_R},
                 {"s", VK_S},
                 {"f5", VK_F5},
                 {"f6", VK_F6},
                 {"f9", VK_F9},
                 {"f11", VK_F11},
                 {"f12", VK_F12},
                 {"pad-a", VK_PAD_A},
                 {"pad-b", VK_PAD_B},
                 {"pad-x", VK_PAD_X},
                 {"pad-y", VK_PAD_Y},
                 {"pad-up", VK_PAD_UP},
                 {"pad-down", VK_PAD_DOWN},
                 {"pad-left", VK_PAD_LEFT},
                 {"pad-right", VK_PAD_RIGHT},
                 {"pad-start", VK_PAD_START},
                 {"pad-back", VK_PAD_BACK},
                 {"pad-lb", VK_PAD_LB},
                 {"pad-rb", VK_PAD_RB},
                 {"pad-rt", VK_PAD_RT}};
    for (const auto& entry : kKeys) {
        if (entry.name == word) {
            key = entry.key;
            return true;
        }
    }
    return false;
}

// Parses one non-blank, non-comment line; answers an explanation on failure.
std::string parseLine(std::string_view line, ScriptedEvent& event) {
    std::vector<std::string_view> words = splitWords(line);
    if (words.size() < 3) {
        return "expected 'WHEN ACTION [ARGS]', for example 'pass 10 tap left'";
    }
    if (words[0] == "pass") {
        event.when = ScriptedEvent::When::Pass;
        if (!parseNumber(words[1], event.at) || event.at == 0) {
            return "'pass' needs a pass number from 1";
        }
    } else if (words[0] == "ms") {
        event.when = ScriptedEvent::When::Ms;
        if (!parseNumber(words[1], event.at)) {
            return "'ms' needs a number of milliseconds";
        }
    } else {
        return "unknown WHEN '" + std::string(words[0]) + "' (use 'pass N' or 'ms T')";
    }

    std::string_view action = words[2];
    size_t args = words.size() - 3;
    if (action == "down" || action == "up" || action == "tap") {
        event.action = action == "down" ? ScriptedEvent::Action::Down
                       : action == "up" ? ScriptedEvent::Action::Up
                                        : ScriptedEvent::Action::Tap;
        if (args != 1 || !parseKey(words[3], event.key)) {
            std::string problem = "'";
            problem.append(action).append(
                "' needs one key: left, right, middle, enter, space, ctrl, shift, escape, up, "
                "down, arrow-left, arrow-right, pageup, pagedown, delete, plus, minus, a, c, l, m, "
                "o, "
                "r, s, f5, f6, f9, f11, f12, pad-a, pad-b, "
                "pad-x, "
                "pad-y, "
                "pad-up, pad-down, pad-left, pad-right, pad-start, pad-back, pad-lb, pad-rb or "
                "pad-rt");
            return problem;
        }
    } else if (action == "move") {
        event.action = ScriptedEvent::Action::Move;
        if (args != 2 || !parseNumber(words[3], event.x) || !parseNumber(words[4], event.y)) {
            return "'move' needs two whole numbers X Y";
        }
    } else if (action == "touch") {
        event.action = ScriptedEvent::Action::Touch;
        if (args != 2 || !parseNumber(words[3], event.x) || !parseNumber(words[4], event.y)) {
            return "'touch' needs two whole numbers X Y (in the 800x600 frame)";
        }
    } else if (action == "resize") {
        event.action = ScriptedEvent::Action::Resize;
        if (args != 2 || !parseNumber(words[3], event.x) || !parseNumber(words[4], event.y) ||
            event.x < 1 || event.y < 1 || event.x > 16384 || event.y > 16384) {
            return "'resize' needs a width and a height from 1 to 16384";
        }
    } else if (action == "wheel") {
        event.action = ScriptedEvent::Action::Wheel;
        int notches = 0;
        if (args != 2 || (words[3] != "up" && words[3] != "down") ||
            !parseNumber(words[4], notches) || notches < 1 || notches > 1000) {
            return "'wheel' needs 'up' or 'down' and a number of notches from 1 to 1000";
        }
        event.x = words[3] == "up" ? notches : -notches;
    } else if (action == "alt-enter") {
        event.action = ScriptedEvent::Action::AltEnter;
        if (args != 0) {
            return "'alt-enter' takes no arguments";
        }
    } else if (action == "close") {
        event.action = ScriptedEvent::Action::Close;
        if (args != 0) {
            return "'close' takes no arguments";
        }
    } else if (action == "lose-display") {
        event.action = ScriptedEvent::Action::LoseDisplay;
        if (args != 0) {
            return "'lose-display' takes no arguments";
        }
    } else if (action == "choose") {
        if (args == 0) {
            return "'choose' needs a path or 'cancel'";
        }
        // The path is the rest of the line, so it may hold spaces.
        size_t pathStart = static_cast<size_t>(words[3].data() - line.data());
        std::string_view rest = line.substr(pathStart);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) {
            rest.remove_suffix(1);
        }
        if (rest == "cancel") {
            event.action = ScriptedEvent::Action::ChooseCancel;
        } else {
            event.action = ScriptedEvent::Action::Choose;
            event.path = std::string(rest);
        }
    } else {
        return "unknown ACTION '" + std::string(action) +
               "' (use down, up, tap, move, touch, wheel, resize, alt-enter, close, choose or "
               "lose-display)";
    }
    return {};
}

}  // namespace

bool parseScriptedInput(std::string_view text, const std::string& sourceName, ScriptedInput& out,
                        std::string& error) {
    out.events.clear();
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') {
            continue;
        }
        ScriptedEvent event;
        std::string problem = parseLine(line.substr(first), event);
        if (!problem.empty()) {
            error = sourceName + ":" + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        out.events.push_back(std::move(event));
    }
    return true;
}

bool loadScriptedInput(const std::filesystem::path& file, ScriptedInput& out, std::string& error) {
    // A folder opens like an empty file here, and would pass as a script without events.
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        error = file.string() + " is a folder, not an input script";
        return false;
    }
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        error = file.string() + ": cannot read the input script";
        return false;
    }
    std::ostringstream content;
    content << stream.rdbuf();
    return parseScriptedInput(content.str(), file.string(), out, error);
}

}  // namespace tsuzuri::platform
