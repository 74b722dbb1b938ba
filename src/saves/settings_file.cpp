#include "saves/settings_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "common/atomic_file.h"
#include "common/file_buffer.h"
#include "saves/state_text.h"

namespace tsuzuri {
namespace fs = std::filesystem;

namespace {

// A settings file is a few hundred bytes; anything much larger is not one.
constexpr std::int32_t kMaxSettingsFileBytes = 64 * 1024;

constexpr std::array<std::string_view, 10> kKeys = {
    "volume", "music_volume", "effects_volume",   "mute", "fullscreen",
    "scale",  "auto_base_ms", "auto_per_char_ms", "skip", "copy_pages"};

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::int64_t> numberIn(std::string_view text, std::int64_t least, std::int64_t most) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

// Takes `value` for `key` into `settings`; false when the value is not one the key takes.
bool take(Settings& settings, std::string_view key, std::string_view value) {
    const auto number = [value](std::int64_t least, std::int64_t most) {
        return numberIn(value, least, most);
    };
    if (key == "volume" || key == "music_volume" || key == "effects_volume") {
        const auto volume = number(0, 100);
        if (!volume) {
            return false;
        }
        (key == "volume"         ? settings.volume
         : key == "music_volume" ? settings.musicVolume
                                 : settings.effectsVolume) = static_cast<int>(*volume);
        return true;
    }
    if (key == "mute" || key == "fullscreen" || key == "copy_pages") {
        const auto flag = number(0, 1);
        if (!flag) {
            return false;
        }
        (key == "mute"         ? settings.mute
         : key == "fullscreen" ? settings.fullscreen
                               : settings.copyPages) = *flag == 1;
        return true;
    }
    if (key == "scale") {
        if (value == "fit") {
            settings.scale = 0;
            settings.scaleToFit = true;
            return true;
        }
        const auto scale = number(1, 8);
        if (!scale) {
            return false;
        }
        settings.scale = static_cast<int>(*scale);
        settings.scaleToFit = false;
        return true;
    }
    if (key == "auto_base_ms" || key == "auto_per_char_ms") {
        const bool base = key == "auto_base_ms";
        const auto ms = number(0, base ? kMaxAutoBaseMs : kMaxAutoPerCharMs);
        if (!ms) {
            return false;
        }
        (base ? settings.autoBaseMs : settings.autoPerCharMs) = static_cast<std::uint32_t>(*ms);
        return true;
    }
    if (key == "skip" && (value == "all" || value == "read")) {
        settings.skip = value == "all" ? SkipMode::All : SkipMode::Read;
        return true;
    }
    return false;
}

// The value written for `key`; nothing for a scale that is the plain window.
std::optional<std::string> valueOf(const Settings& settings, std::string_view key) {
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    if (key == "volume")
        return std::to_string(settings.volume);
    if (key == "music_volume")
        return std::to_string(settings.musicVolume);
    if (key == "effects_volume")
        return std::to_string(settings.effectsVolume);
    if (key == "mute")
        return flag(settings.mute);
    if (key == "fullscreen")
        return flag(settings.fullscreen);
    if (key == "copy_pages")
        return flag(settings.copyPages);
    if (key == "auto_base_ms")
        return std::to_string(settings.autoBaseMs);
    if (key == "auto_per_char_ms")
        return std::to_string(settings.autoPerCharMs);
    if (key == "skip")
        return std::string(settings.skip == SkipMode::All ? "all" : "read");
    if (settings.scaleToFit)
        return std::string("fit");
    if (settings.scale >= 1)
        return std::to_string(settings.scale);
    return std::nullopt;
}

bool isKnown(std::string_view key) {
    for (std::string_view known : kKeys) {
        if (known == key) {
            return true;
        }
    }
    return false;
}

// The key of a `key=value` line; nothing for a blank line, a comment or a line without '='.
std::optional<std::string_view> keyOf(std::string_view line) {
    const std::string_view content = trimmed(line);
    const std::size_t equals = content.find('=');
    if (content.empty() || content.front() == '#' || equals == std::string_view::npos) {
        return std::nullopt;
    }
    return trimmed(content.substr(0, equals));
}

// A line's text as it may be shown on one line of stderr.
std::string shown(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 60)) {
        out += (c >= ' ' && c <= '~') ? c : '?';
    }
    return out;
}

}  // namespace

SettingsText SettingsText::parse(std::string_view text, std::vector<std::string>& problems) {
    SettingsText read;
    std::vector<std::string> taken;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        read.lines_.emplace_back(line);
        ++number;
        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        const std::optional<std::string_view> key = keyOf(line);
        if (!key) {
            problems.push_back("line " + std::to_string(number) + " is not key=value: '" +
                               shown(content) + "'");
            continue;
        }
        if (!isKnown(*key)) {
            continue;  // another version's, or the reader's own: kept as it is
        }
        if (std::find(taken.begin(), taken.end(), *key) != taken.end()) {
            continue;  // the first line of a key counts, as it is the one written
        }
        taken.emplace_back(*key);
        const std::string_view value = trimmed(content.substr(content.find('=') + 1));
        if (!take(read.settings_, *key, value)) {
            problems.push_back("line " + std::to_string(number) + ": '" + shown(value) +
                               "' is no value for " + std::string(*key) + "; ignored");
        }
    }
    return read;
}

std::string SettingsText::update(const Settings& settings) {
    std::vector<std::string> lines;
    std::vector<std::string> written;
    for (const std::string& line : lines_) {
        const std::optional<std::string_view> key = keyOf(line);
        if (!key || !isKnown(*key)) {
            lines.push_back(line);
            continue;
        }
        if (std::find(written.begin(), written.end(), *key) != written.end()) {
            continue;
        }
        const std::string name(*key);
        written.push_back(name);
        if (const auto value = valueOf(settings, name)) {
            lines.push_back(name + "=" + *value);
        }
    }
    for (std::string_view key : kKeys) {
        if (std::find(written.begin(), written.end(), key) == written.end()) {
            if (const auto value = valueOf(settings, key)) {
                lines.push_back(std::string(key) + "=" + *value);
            }
        }
    }
    lines_ = std::move(lines);
    settings_ = settings;
    std::string text;
    for (const std::string& line : lines_) {
        text += line + "\n";
    }
    return text;
}

fs::path defaultSettingsFile() {
    const fs::path folder = userFolder("XDG_CONFIG_HOME", ".config");
    return folder.empty() ? folder : folder / "settings.ini";
}

SettingsText readSettingsFile(const fs::path& file, std::vector<std::string>& problems) {
    std::error_code error;
    if (file.empty() || !fs::exists(file, error)) {
        return {};
    }
    FileBuffer buffer;
    if (!loadWholeFile(buffer, file, kMaxSettingsFileBytes)) {
        problems.push_back("it cannot be read or is over " +
                           std::to_string(kMaxSettingsFileBytes / 1024) +
                           " KiB; the defaults are used");
        return {};
    }
    return SettingsText::parse(std::string_view(reinterpret_cast<const char*>(buffer.data.get()),
                                                static_cast<std::size_t>(buffer.size)),
                               problems);
}

bool writeSettingsFile(const fs::path& file, SettingsText& kept, const Settings& settings,
                       std::string& error) {
    std::error_code failure;
    fs::path target = file;
    if (fs::is_symlink(file, failure)) {
        // A settings file kept elsewhere (as dotfile managers do) stays there.
        target = fs::weakly_canonical(file, failure);
        if (failure) {
            error = failure.message();
            return false;
        }
    }
    if (!makePrivateFolder(target.parent_path(), error)) {
        return false;
    }
    SettingsText next = kept;
    if (!writeFileAtomically(target, next.update(settings), error)) {
        return false;
    }
    kept = std::move(next);
    return true;
}

}  // namespace tsuzuri
