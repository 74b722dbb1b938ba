#include "app/game_settings.h"

#include "common/file_buffer.h"
#include "common/game_path.h"
#include "platform/platform.h"
#include "ui/in_window_chooser.h"

namespace tsuzuri {
namespace {

constexpr std::string_view kSettingsFile = "Game.INI";
constexpr std::string_view kSection = "GameState";
constexpr std::string_view kBlanks = " \t";

std::string_view trimBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Cuts the next line off `text`; a line ends at CR LF, LF or CR.
std::string_view nextLine(std::string_view& text) {
    size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
        text = {};
    } else {
        size_t skip = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        text.remove_prefix(end + skip);
    }
    return line;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);  // a UTF-8 byte order mark some editors add
    }
    bool inSection = false;
    while (!text.empty()) {
        std::string_view line = trimBlanks(nextLine(text));
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name =
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
            if (inSection) {
                return std::nullopt;  // only the first section of that name is read
            }
            inSection = equalsIgnoringAsciiCase(trimBlanks(name), section);
            continue;
        }
        if (!inSection) {
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        if (!equalsIgnoringAsciiCase(trimBlanks(line.substr(0, equals)), key)) {
            continue;
        }
        std::string_view value = trimBlanks(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

bool readGameSetting(std::string_view key, std::string_view defaultValue, std::string& out) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        out = defaultValue;
        return true;
    }
    return readGameSetting(folder, key, defaultValue, out);
}

bool readGameSetting(const std::filesystem::path& gameFolder, std::string_view key,
                     std::string_view defaultValue, std::string& out) {
    std::optional<std::string> value;
    FileBuffer buffer;
    if (loadWholeFile(buffer, GamePath{gameFolder, std::string(kSettingsFile)},
                      kMaxTextFileBytes)) {
        std::string_view text(reinterpret_cast<const char*>(buffer.data.get()),
                              static_cast<size_t>(buffer.size));
        value = findProfileValue(text, kSection, key);
    }
    releaseFileBuffer(buffer);
    out = value ? *value : std::string(defaultValue);
    if (out.size() > kMaxSettingBytes) {
        out.resize(kMaxSettingBytes);
    }
    return true;
}

bool chooseScriptFile(const std::filesystem::path& startFolder, std::filesystem::path& outPath,
                      RenderState& render, Clock& clock, const LoopOptions& loop) {
    std::error_code error;
    const std::filesystem::path saved = std::filesystem::current_path(error);
    std::filesystem::path folder = std::filesystem::absolute(startFolder, error);
    // Without a desktop dialog the player's window offers the files itself.
    std::optional<std::filesystem::path> chosen =
        platform::isFileDialogAvailable()
            ? platform::showOpenFileDialog(folder, "(.txt)", "*.txt")
            : chooseInWindow(folder, ChooserKind::ScriptFile, render, clock, loop);
    if (!saved.empty()) {
        std::filesystem::current_path(saved, error);
    }
    if (!chosen) {
        return false;
    }
    outPath = std::filesystem::absolute(*chosen, error);
    return true;
}

}  // namespace tsuzuri
