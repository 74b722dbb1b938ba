#include "script_engine/script_file.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Pause after reading a script, part of the player's pacing of script changes.
constexpr std::uint32_t kAfterLoadPauseMs = 100;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Whether the folder `sub` of the game ("cg", "wave" or "script") holds the named file.
bool gameHasFile(const char* sub, std::string_view name) {
    thread_local std::string relative;
    relative.assign(sub);
    relative += '\\';
    relative += name;
    return gameFileExists(sceneState.gameFolder, relative);
}

}  // namespace

std::optional<fs::path> deriveGameFolder(const GamePath& scriptPath) {
    std::optional<fs::path> resolved = resolveGameFile(scriptPath);
    const std::string native =
        resolved ? resolved->string() : plausibleNativePath(scriptPath).string();
    // The last and second-to-last separators among all bytes but the last.
    size_t last = std::string::npos;
    size_t secondLast = std::string::npos;
    for (size_t i = 0; i + 1 < native.size(); ++i) {
        if (native[i] == '/') {
            secondLast = last;
            last = i;
        }
    }
    if (secondLast == std::string::npos || secondLast == 0) {
        return std::nullopt;
    }
    return fs::path(native.substr(0, secondLast));
}

int readScriptLine(FileBuffer& buffer, char* out) {
    const std::int32_t size = buffer.size;
    const std::int32_t start = buffer.readPos;
    const std::uint8_t* data = buffer.data.get();
    if (data == nullptr || start >= size || start < 0) {
        buffer.readPos = std::max(start, size);
        return 0;
    }
    std::int32_t length = size - start;
    std::int32_t next = size;
    for (std::int32_t p = start; p + 1 < size; ++p) {
        const std::uint8_t a = data[p];
        const std::uint8_t b = data[p + 1];
        if ((a == 0x0D && b == 0x0A) || (a == 0x0A && b == 0x0D)) {
            length = p - start;
            next = p + 2;
            break;
        }
    }
    buffer.readPos = next;
    const int copied = std::min(length, kMaxLineBytes);
    std::memcpy(out, data + start, static_cast<size_t>(copied));
    return copied;
}

LineKind classifyLine(std::string_view text) {
    if (startsWith(text, "//")) {
        return Comment;
    }
    if (text.size() > 4) {
        if (gameHasFile("cg", text)) {
            return Image;
        }
        const char first = text[0];
        if (first == '*' || first == '#' || first == '$') {
            if (gameHasFile("wave", text.substr(1))) {
                return first == '*' ? BGM : first == '#' ? LoopSE : LoopWao;
            }
        } else if (gameHasFile("wave", text)) {
            if (endsWith(text, ".wav")) {
                return SE;
            }
            if (endsWith(text, ".wao")) {
                return Wao;
            }
        }
        if (gameHasFile("script", text)) {
            return NextScript;
        }
    }
    if (startsWith(text, "\\")) {
        return text.size() >= 2 && text[1] == '\\' ? Label : Jump;
    }
    if (startsWith(text, "choices")) {
        return Choices;
    }
    if (text == "flash") {
        return Flash;
    }
    if (text == "StopLoopSE") {
        return StopLoopSE;
    }
    if (text == "StopLoopWao") {
        return StopLoopWao;
    }
    if (text == "StopBGM") {
        return StopBGM;
    }
    return Text;
}

void appendScriptLines(FileBuffer& buffer) {
    FolderListingScope listingScope;
    while (buffer.readPos < buffer.size) {
        char line[kMaxLineBytes + 1] = {};
        if (readScriptLine(buffer, line) == 0) {
            continue;
        }
        auto stored = std::make_unique<ScriptLine>();
        stored->text = line;  // up to the first NUL, as every reader of the line sees it
        stored->kind = classifyLine(stored->text);
        sceneState.lines.push_back(std::move(stored));
    }
}

bool loadScript(const GamePath& path) {
    std::optional<fs::path> folder = deriveGameFolder(path);
    if (!folder) {
        return false;
    }
    sceneState.gameFolder = *folder;

    const std::optional<fs::path> file = resolveGameFile(path);
    FileBuffer buffer;
    if (!file || !loadWholeFile(buffer, *file, kMaxTextFileBytes)) {
        releaseFileBuffer(buffer);
        return false;
    }
    clearScript();
    sceneState.scriptFile = *file;
    appendScriptLines(buffer);
    platform::sleepMs(kAfterLoadPauseMs);
    releaseFileBuffer(buffer);
    return true;
}

void clearScript() {
    sceneState.lines.clear();
}

std::int32_t findLabel(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    const auto count = static_cast<std::int32_t>(sceneState.lines.size());
    for (std::int32_t i = 0; i < count; ++i) {
        const ScriptLine& line = *sceneState.lines[static_cast<size_t>(i)];
        if (line.kind == Label && std::strcmp(line.text.c_str() + 2, name) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace tsuzuri
