#include "saves/remembered_place.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_buffer.h"
#include "saves/state_text.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVersionKey = "tsuzuri-place";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kLastGameFile = "last-game";
// Far above any real place file; anything larger is not one.
constexpr std::int32_t kMaxPlaceFileBytes = 64 * 1024;

fs::path placeFile(const fs::path& stateFolder, const fs::path& gameFolder,
                   std::string_view title) {
    return stateFolder / placeFileName(gameFolder, title);
}

bool writeLastGame(const fs::path& stateFolder, const fs::path& gameFolder, std::string& error) {
    return writeFileAtomically(stateFolder / kLastGameFile, escape(gameFolder.string()) + "\n",
                               error);
}

}  // namespace

fs::path defaultStateFolder() {
    return userFolder("XDG_STATE_HOME", ".local/state");
}

std::string placeFileName(const fs::path& gameFolder, std::string_view title) {
    return "game-" + gameKey(gameFolder, title) + ".state";
}

std::string formatPlaceLines(const StoryPlace& place, const fs::path& gameFolder) {
    fs::path script = place.scriptFile.lexically_relative(gameFolder);
    if (script.empty() || *script.begin() == "..") {
        script = place.scriptFile;
    }
    auto entry = [](std::string_view key, const std::string& value) {
        return std::string(key) + (value.empty() ? "" : " " + escape(value)) + "\n";
    };
    return entry("script", script.string()) + "line " + std::to_string(place.fileLine) + "\n" +
           "window " + (place.windowShown ? "shown" : "hidden") + "\n" +
           entry("picture", place.picture) + entry("bgm", place.bgm) +
           entry("loopse", place.loopSe) + entry("loopwao", place.loopWao);
}

bool takePlaceLines(std::string_view& text, const fs::path& gameFolder, StoryPlace& place,
                    std::string& reason) {
    StoryPlace read;
    std::string script;
    if (!takeName(text, "script", script, reason)) {
        return false;
    }
    if (script.empty()) {
        reason = "it names no script";
        return false;
    }
    read.scriptFile = fs::path(script).is_absolute() ? fs::path(script) : gameFolder / script;

    std::string_view value;
    if (!takeValue(text, "line", value, reason)) {
        return false;
    }
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, read.fileLine);
    if (value.empty() || ec != std::errc() || ptr != end || read.fileLine < 1) {
        reason = "its line is not a line number";
        return false;
    }
    if (!takeValue(text, "window", value, reason)) {
        return false;
    }
    if (value != "shown" && value != "hidden") {
        reason = "its window is neither shown nor hidden";
        return false;
    }
    read.windowShown = value == "shown";
    if (!takeName(text, "picture", read.picture, reason) ||
        !takeName(text, "bgm", read.bgm, reason) ||
        !takeName(text, "loopse", read.loopSe, reason) ||
        !takeName(text, "loopwao", read.loopWao, reason)) {
        return false;
    }
    place = std::move(read);
    return true;
}

bool takeVersion(std::string_view& text, std::string_view key, std::string_view version,
                 const char* notOne, std::string& reason) {
    const std::string_view first = text.substr(0, text.find('\n'));
    if (first.substr(0, key.size() + 1) != std::string(key) + " ") {
        reason = notOne;
        return false;
    }
    std::string_view read;
    if (!takeValue(text, key, read, reason)) {
        return false;
    }
    if (read != version) {
        reason = "it was written by another version (format " + escape(read.substr(0, 16)) +
                 ", not " + std::string(version) + ")";
        return false;
    }
    return true;
}

std::string formatPlace(const StoryPlace& place, const fs::path& gameFolder) {
    return std::string(kVersionKey) + " " + std::string(kVersion) + "\n" +
           formatPlaceLines(place, gameFolder);
}

bool parsePlace(std::string_view text, const fs::path& gameFolder, StoryPlace& place,
                std::string& reason) {
    StoryPlace read;
    if (!takeVersion(text, kVersionKey, kVersion, "it is not a place file", reason) ||
        !takePlaceLines(text, gameFolder, read, reason)) {
        return false;
    }
    if (!text.empty()) {
        reason = "it goes on after its last line";
        return false;
    }
    place = std::move(read);
    return true;
}

bool rememberPlace(const fs::path& stateFolder, const fs::path& gameFolder, std::string_view title,
                   const StoryPlace& place, std::string& error) {
    return makePrivateFolder(stateFolder, error) &&
           writeFileAtomically(placeFile(stateFolder, gameFolder, title),
                               formatPlace(place, gameFolder), error) &&
           writeLastGame(stateFolder, gameFolder, error);
}

bool rememberLastGame(const fs::path& stateFolder, const fs::path& gameFolder, std::string& error) {
    return makePrivateFolder(stateFolder, error) && writeLastGame(stateFolder, gameFolder, error);
}

void forgetPlace(const fs::path& stateFolder, const fs::path& gameFolder, std::string_view title) {
    std::error_code error;
    fs::remove(placeFile(stateFolder, gameFolder, title), error);
    std::string ignored;
    if (makePrivateFolder(stateFolder, ignored)) {
        writeLastGame(stateFolder, gameFolder, ignored);
    }
}

RecalledPlace recallPlace(const fs::path& stateFolder, const fs::path& gameFolder,
                          std::string_view title, StoryPlace& place, std::string& reason) {
    if (stateFolder.empty()) {
        return RecalledPlace::None;
    }
    const fs::path file = placeFile(stateFolder, gameFolder, title);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) {
        return RecalledPlace::None;
    }
    FileBuffer buffer;
    if (!loadWholeFile(buffer, file, kMaxPlaceFileBytes)) {
        reason = "it cannot be read";
        return RecalledPlace::Unusable;
    }
    const std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                                static_cast<size_t>(buffer.size));
    return parsePlace(text, gameFolder, place, reason) ? RecalledPlace::Found
                                                       : RecalledPlace::Unusable;
}

std::optional<fs::path> lastGameFolder(const fs::path& stateFolder) {
    FileBuffer buffer;
    if (stateFolder.empty() ||
        !loadWholeFile(buffer, stateFolder / kLastGameFile, kMaxPlaceFileBytes)) {
        return std::nullopt;
    }
    std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                          static_cast<size_t>(buffer.size));
    std::string_view line;
    std::string folder;
    if (!nextLine(text, line) || !text.empty() || !unescape(line, folder) || folder.empty() ||
        folder[0] != '/') {
        return std::nullopt;
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    return fs::path(folder);
}

}  // namespace tsuzuri
