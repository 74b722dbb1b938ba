#include "app/remembered_place.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_buffer.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVersionKey = "tsuzuri-place";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kLastGameFile = "last-game";
// Far above any real place file; anything larger is not one.
constexpr std::int32_t kMaxPlaceFileBytes = 64 * 1024;

std::uint64_t fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

std::string escape(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < '!' || byte > '~' || byte == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Undoes escape(); false for a byte that should have been escaped, a broken escape or a NUL.
bool unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < '!' || byte > '~') {
            return false;
        }
        if (byte != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return false;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// Cuts the next LF-ended line off `text`; false when there is none.
bool nextLine(std::string_view& text, std::string_view& line) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) {
        return false;
    }
    line = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
}

// The value of the next line, which must hold `key`: empty when the key stands alone.
bool takeValue(std::string_view& text, std::string_view key, std::string_view& value,
               std::string& reason) {
    std::string_view line;
    if (!nextLine(text, line)) {
        reason = "it ends before its '" + std::string(key) + "' line is complete";
        return false;
    }
    if (line == key) {
        value = {};
        return true;
    }
    if (line.size() > key.size() + 1 && line.substr(0, key.size()) == key &&
        line[key.size()] == ' ') {
        value = line.substr(key.size() + 1);
        return true;
    }
    reason = "a line where '" + std::string(key) + "' belongs reads something else";
    return false;
}

bool takeName(std::string_view& text, std::string_view key, std::string& name,
              std::string& reason) {
    std::string_view value;
    if (!takeValue(text, key, value, reason)) {
        return false;
    }
    if (!unescape(value, name)) {
        reason = "its '" + std::string(key) + "' value is not written as names are";
        return false;
    }
    return true;
}

fs::path placeFile(const fs::path& stateFolder, const fs::path& gameFolder,
                   std::string_view title) {
    return stateFolder / placeFileName(gameFolder, title);
}

bool makeStateFolder(const fs::path& folder, std::string& error) {
    std::error_code code;
    if (fs::create_directories(folder, code)) {
        // Places say what someone has been reading: for their eyes only.
        fs::permissions(folder, fs::perms::owner_all, code);
        code.clear();
    }
    if (code || !fs::is_directory(folder, code)) {
        error = "cannot make the folder " + folder.string();
        return false;
    }
    return true;
}

bool writeLastGame(const fs::path& stateFolder, const fs::path& gameFolder, std::string& error) {
    return writeFileAtomically(stateFolder / kLastGameFile, escape(gameFolder.string()) + "\n",
                               error);
}

}  // namespace

fs::path defaultStateFolder() {
    // Relative values are to be ignored, as the base directory rules ask.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return fs::path(state) / "tsuzuri";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return fs::path(home) / ".local" / "state" / "tsuzuri";
    }
    return {};
}

std::string placeFileName(const fs::path& gameFolder, std::string_view title) {
    std::uint64_t hash = fnv1a(0xCBF29CE484222325ull, gameFolder.string());
    hash = fnv1a(hash, std::string_view("\0", 1));
    hash = fnv1a(hash, title);
    char name[40];
    std::snprintf(name, sizeof name, "game-%016llx.state", static_cast<unsigned long long>(hash));
    return name;
}

std::string formatPlace(const StoryPlace& place, const fs::path& gameFolder) {
    fs::path script = place.scriptFile.lexically_relative(gameFolder);
    if (script.empty() || *script.begin() == "..") {
        script = place.scriptFile;
    }
    auto entry = [](std::string_view key, const std::string& value) {
        return std::string(key) + (value.empty() ? "" : " " + escape(value)) + "\n";
    };
    return std::string(kVersionKey) + " " + std::string(kVersion) + "\n" +
           entry("script", script.string()) + "line " + std::to_string(place.fileLine) + "\n" +
           "window " + (place.windowShown ? "shown" : "hidden") + "\n" +
           entry("picture", place.picture) + entry("bgm", place.bgm) +
           entry("loopse", place.loopSe) + entry("loopwao", place.loopWao);
}

bool parsePlace(std::string_view text, const fs::path& gameFolder, StoryPlace& place,
                std::string& reason) {
    std::string_view version;
    std::string_view first = text.substr(0, text.find('\n'));
    if (first.substr(0, kVersionKey.size() + 1) != std::string(kVersionKey) + " ") {
        reason = "it is not a place file";
        return false;
    }
    if (!takeValue(text, kVersionKey, version, reason)) {
        return false;
    }
    if (version != kVersion) {
        reason = "it was written by another version (format " + escape(version.substr(0, 16)) +
                 ", not " + std::string(kVersion) + ")";
        return false;
    }
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
    if (!text.empty()) {
        reason = "it goes on after its last line";
        return false;
    }
    place = std::move(read);
    return true;
}

bool rememberPlace(const fs::path& stateFolder, const fs::path& gameFolder, std::string_view title,
                   const StoryPlace& place, std::string& error) {
    return makeStateFolder(stateFolder, error) &&
           writeFileAtomically(placeFile(stateFolder, gameFolder, title),
                               formatPlace(place, gameFolder), error) &&
           writeLastGame(stateFolder, gameFolder, error);
}

void forgetPlace(const fs::path& stateFolder, const fs::path& gameFolder, std::string_view title) {
    std::error_code error;
    fs::remove(placeFile(stateFolder, gameFolder, title), error);
    std::string ignored;
    if (makeStateFolder(stateFolder, ignored)) {
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
