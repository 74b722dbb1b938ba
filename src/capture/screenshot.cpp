#include "capture/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "capture/frame_png.h"
#include "common/calendar.h"
#include "common/shift_jis.h"
#include "script_engine/check/check_run.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Files of one second tried before giving up: far more than F12 can be pressed in a second.
constexpr int kMaxSameSecond = 1000;

std::optional<fs::path> environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') {
        return std::nullopt;
    }
    return fs::path(value);
}

// A folder as user-dirs.dirs writes it: "$HOME/..." or an absolute path.
std::optional<fs::path> expandHome(std::string_view value, const fs::path& home) {
    constexpr std::string_view kHome = "$HOME";
    if (value.starts_with(kHome) && (value.size() == kHome.size() || value[kHome.size()] == '/')) {
        if (home.empty()) {
            return std::nullopt;
        }
        value.remove_prefix(kHome.size());
        while (value.starts_with('/')) {
            value.remove_prefix(1);
        }
        return value.empty() ? home : home / value;
    }
    if (!value.starts_with('/')) {
        return std::nullopt;
    }
    return fs::path(value);
}

// The value after '=' on a shell assignment line: "quoted" (a backslash keeps the next
// character) or bare up to blanks.
std::string assignedValue(std::string_view rest) {
    std::string value;
    if (!rest.starts_with('"')) {
        return std::string(rest.substr(0, rest.find_first_of(" \t\r")));
    }
    for (std::size_t i = 1; i < rest.size() && rest[i] != '"'; ++i) {
        if (rest[i] == '\\' && i + 1 < rest.size()) {
            ++i;
        }
        value += rest[i];
    }
    return value;
}

// The game folder's name in UTF-8: kept when it is UTF-8 already, else read as Shift-JIS.
std::string gameName(const fs::path& gameFolder) {
    std::error_code error;
    fs::path folder = gameFolder.empty() ? fs::current_path(error) : gameFolder.lexically_normal();
    if (!folder.has_filename()) {
        folder = folder.parent_path();
    }
    const std::string name = folder.filename().string();
    if (name.empty()) {
        return "game";
    }
    if (isValidUtf8(name)) {
        return name;
    }
    return sjisToUtf8Strict(name).value_or(sjisToUtf8ForDisplay(name));
}

std::string timeStamp(const RenderState& render) {
    return calendarNow("%Y%m%d-%H%M%S",
                       render.clock != nullptr ? render.clock->nowMs() - render.startedAtMs : 0);
}

// Writes the frame into the pictures folder; answers the file, or nothing with `error` set.
std::optional<fs::path> writeScreenshot(const RenderState& render, const fs::path& gameFolder,
                                        std::string& error) {
    const std::optional<fs::path> folder = userPicturesFolder();
    if (!folder) {
        error = "no pictures folder (neither XDG_PICTURES_DIR nor HOME is set)";
        return std::nullopt;
    }
    std::error_code ec;
    fs::create_directories(*folder, ec);
    if (ec) {
        error = "cannot make the folder " + folder->string() + ": " + ec.message();
        return std::nullopt;
    }
    const std::string stem = "tsuzuri-" + gameName(gameFolder) + "-" + timeStamp(render);
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        const fs::path file =
            *folder / (n == 1 ? stem + ".png" : stem + "-" + std::to_string(n) + ".png");
        switch (writeFramePng(render, file, false, error)) {
            case PngWrite::Written:
                return file;
            case PngWrite::Exists:
                continue;
            case PngWrite::Failed:
                return std::nullopt;
        }
    }
    error = "too many screenshots named " + stem + " in " + folder->string();
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> picturesFolderFromUserDirs(std::string_view text, const fs::path& home) {
    constexpr std::string_view kName = "XDG_PICTURES_DIR";
    std::optional<fs::path> found;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::string_view rest(line);
        while (rest.starts_with(' ') || rest.starts_with('\t')) {
            rest.remove_prefix(1);
        }
        if (!rest.starts_with(kName)) {
            continue;
        }
        rest.remove_prefix(kName.size());
        if (!rest.starts_with('=')) {
            continue;
        }
        rest.remove_prefix(1);
        // As in the shell, the last assignment counts.
        found = expandHome(assignedValue(rest), home);
    }
    return found;
}

std::optional<fs::path> userPicturesFolder() {
    const fs::path home = environmentPath("HOME").value_or(fs::path());
    if (std::optional<fs::path> named = environmentPath("XDG_PICTURES_DIR")) {
        if (std::optional<fs::path> folder = expandHome(named->string(), home)) {
            return folder;
        }
    }
    std::optional<fs::path> config = environmentPath("XDG_CONFIG_HOME");
    if (!config || config->is_relative()) {
        config = home.empty() ? std::nullopt : std::optional<fs::path>(home / ".config");
    }
    if (std::ifstream file; config && (file.open(*config / "user-dirs.dirs"), file.is_open())) {
        std::stringstream text;
        text << file.rdbuf();
        if (std::optional<fs::path> folder = picturesFolderFromUserDirs(text.str(), home)) {
            return folder;
        }
    }
    if (home.empty()) {
        return std::nullopt;
    }
    return home / "Pictures";
}

void saveScreenshot(const RenderState& render, const fs::path& gameFolder) {
    std::string error;
    if (const std::optional<fs::path> file = writeScreenshot(render, gameFolder, error)) {
        std::fprintf(stderr, "tsuzuri: saved the screen as %s\n", file->c_str());
    } else {
        std::fprintf(stderr, "tsuzuri: cannot save the screen: %s\n", error.c_str());
    }
    std::fflush(stderr);
}

}  // namespace tsuzuri
