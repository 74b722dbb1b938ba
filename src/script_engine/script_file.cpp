#include "script_engine/script_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "common/shift_jis.h"
#include "platform/platform.h"
#include "script_engine/interpreter.h"
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
bool gameHasFile(const fs::path& gameFolder, const char* sub, std::string_view name) {
    thread_local std::string relative;
    relative.assign(sub);
    relative += '\\';
    relative += name;
    return gameFileExists(gameFolder, relative);
}

}  // namespace

bool namesFileOutsideGame(std::string_view text) {
    if (text.find("..") == std::string_view::npos) {
        return false;
    }
    // As classifyLine reads a name: after a sound prefix, or as it is, below its folder.
    const bool prefixed = !text.empty() && (text[0] == '*' || text[0] == '#' || text[0] == '$');
    return climbsOutOfFolder(std::string("x\\").append(prefixed ? text.substr(1) : text)) ||
           climbsOutOfFolder(std::string("x\\").append(text));
}

std::optional<fs::path> deriveGameFolder(const GamePath& scriptPath) {
    std::optional<fs::path> resolved = resolveGameFile(scriptPath);
    std::string native = resolved ? resolved->string() : plausibleNativePath(scriptPath).string();
    // The folder is read from the backslashes of the path as the game wrote it: the native
    // folder's separators, the one joining the name, and the name's own. A slash in the name
    // separates folders when the file is opened, but not here. Each backslash-separated part
    // of the name stands for one native component per slash-separated piece in it.
    std::vector<size_t> parts;
    size_t pieces = 0;
    bool inPiece = false;
    const std::string_view name = scriptPath.name;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte == '\\' || byte == '/') {
            if (byte == '\\' && pieces > 0) {
                parts.push_back(pieces);
                pieces = 0;
            }
            inPiece = false;
            continue;
        }
        if (!inPiece) {
            ++pieces;
            inPiece = true;
        }
        if (isLeadByte(byte) && i + 1 < name.size()) {
            ++i;  // a second byte 0x5C belongs to its character
        }
    }
    if (pieces > 0) {
        parts.push_back(pieces);
    }
    // The components after the second-to-last backslash; the folder's own count one each.
    size_t drop = 0;
    for (size_t n = 0; n < 2; ++n) {
        drop += n < parts.size() ? parts[parts.size() - 1 - n] : 1;
    }
    while (native.size() > 1 && native.back() == '/') {
        native.pop_back();
    }
    for (size_t n = 0; n < drop; ++n) {
        const size_t separator = native.rfind('/');
        if (separator == std::string::npos || separator == 0) {
            return std::nullopt;
        }
        native.resize(separator);
    }
    return fs::path(native);
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

std::int32_t FileLineCounter::lineAt(const FileBuffer& buffer, std::int32_t offset) {
    const std::uint8_t* data = buffer.data.get();
    const std::int32_t end = std::min(offset, buffer.size);
    for (; countedTo_ < end; ++countedTo_) {
        const std::uint8_t byte = data[countedTo_];
        if (byte == 0x0A ||
            (byte == 0x0D && !(countedTo_ + 1 < buffer.size && data[countedTo_ + 1] == 0x0A))) {
            ++line_;
        }
    }
    return line_;
}

LineKind classifyLine(const fs::path& gameFolder, std::string_view text) {
    if (startsWith(text, "//")) {
        return Comment;
    }
    if (text.size() > 4) {
        if (gameHasFile(gameFolder, "cg", text)) {
            return Image;
        }
        const char first = text[0];
        if (first == '*' || first == '#' || first == '$') {
            if (gameHasFile(gameFolder, "wave", text.substr(1))) {
                return first == '*' ? BGM : first == '#' ? LoopSE : LoopWao;
            }
        } else if (gameHasFile(gameFolder, "wave", text)) {
            if (endsWith(text, ".wav")) {
                return SE;
            }
            if (endsWith(text, ".wao")) {
                return Wao;
            }
        }
        if (gameHasFile(gameFolder, "script", text)) {
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

namespace {

std::string_view bytesOf(const FileBuffer& buffer) {
    return {reinterpret_cast<const char*>(buffer.data.get()),
            static_cast<std::size_t>(buffer.size)};
}

}  // namespace

void appendScriptLines(SceneState& scene, FileBuffer& buffer) {
    FolderListingScope listingScope;
    FileLineCounter fileLines;
    while (buffer.readPos < buffer.size) {
        const std::int32_t start = buffer.readPos;
        char line[kMaxLineBytes + 1] = {};
        if (readScriptLine(buffer, line) == 0) {
            continue;
        }
        auto stored = std::make_unique<ScriptLine>();
        stored->text = line;  // up to the first NUL, as every reader of the line sees it
        stored->kind = classifyLine(scene.gameFolder, stored->text);
        stored->fileLine = fileLines.lineAt(buffer, start);
        if (stored->kind == Text && namesFileOutsideGame(stored->text)) {
            std::fprintf(stderr,
                         "tsuzuri: line %d names '%s', outside the game folder; it is not read "
                         "and shows as text\n",
                         static_cast<int>(stored->fileLine),
                         sjisToUtf8ForDisplay(stored->text).c_str());
        }
        scene.lines.push_back(std::move(stored));
    }
}

bool loadScript(SceneState& scene, const GamePath& path) {
    if (climbsOutOfFolder(path.name)) {
        std::fprintf(stderr, "tsuzuri: script '%s' is outside the game folder; it is not read\n",
                     sjisToUtf8ForDisplay(path.name).c_str());
        return false;
    }
    std::optional<fs::path> folder = deriveGameFolder(path);
    if (!folder) {
        return false;
    }
    scene.gameFolder = *folder;

    const std::optional<fs::path> file = resolveGameFile(path);
    FileBuffer buffer;
    if (!file || !loadWholeFile(buffer, *file, kMaxTextFileBytes)) {
        releaseFileBuffer(buffer);
        return false;
    }
    clearScript(scene);
    scene.scriptFile = *file;
    scene.scriptForm = scriptFormOf(bytesOf(buffer));
    appendScriptLines(scene, buffer);
    scene.clock->pause(kAfterLoadPauseMs);
    releaseFileBuffer(buffer);
    return true;
}

bool reloadScript(SceneState& scene, std::string& problem) {
    const fs::path file = scene.scriptFile;
    FileBuffer buffer;
    if (file.empty() || !loadWholeFile(buffer, file, kMaxTextFileBytes)) {
        problem = "it cannot be read";
        return false;
    }
    const ScriptForm form = scriptFormOf(bytesOf(buffer));
    problem = formChange(scene.scriptForm, form);
    if (!problem.empty()) {
        releaseFileBuffer(buffer);
        return false;
    }
    const auto count = static_cast<std::int32_t>(scene.lines.size());
    const std::int32_t current = scene.currentLine;
    const bool underWay = current >= 0 && current < count;
    const std::int32_t fileLine = underWay ? scene.lines[static_cast<size_t>(current)]->fileLine
                                           : std::numeric_limits<std::int32_t>::max();
    SceneState read;
    read.gameFolder = scene.gameFolder;
    appendScriptLines(read, buffer);
    releaseFileBuffer(buffer);
    const std::int32_t line = lineIndexAtFileLine(read, fileLine);
    if (underWay && line >= static_cast<std::int32_t>(read.lines.size())) {
        problem = "it no longer reaches line " + std::to_string(fileLine);
        return false;
    }
    scene.lines = std::move(read.lines);
    scene.scriptForm = form;
    refreshSceneUpTo(scene, line);
    resumeStoryAt(scene, line);
    return true;
}

std::int32_t lineIndexAtFileLine(const SceneState& scene, std::int32_t fileLine) {
    const auto& lines = scene.lines;
    const auto found = std::find_if(lines.begin(), lines.end(), [fileLine](const auto& line) {
        return line->fileLine >= fileLine;
    });
    return static_cast<std::int32_t>(found - lines.begin());
}

std::int32_t fileLineCount(const FileBuffer& buffer) {
    if (buffer.size == 0) {
        return 0;
    }
    FileLineCounter counter;
    const std::int32_t lines = counter.lineAt(buffer, buffer.size);
    const std::uint8_t last = buffer.data[static_cast<size_t>(buffer.size) - 1];
    return last == 0x0A || last == 0x0D ? lines - 1 : lines;
}

void clearScript(SceneState& scene) {
    scene.lines.clear();
}

std::int32_t findLabel(const SceneState& scene, const char* name) {
    if (name == nullptr) {
        return -1;
    }
    const auto count = static_cast<std::int32_t>(scene.lines.size());
    for (std::int32_t i = 0; i < count; ++i) {
        const ScriptLine& line = *scene.lines[static_cast<size_t>(i)];
        if (line.kind == Label && std::strcmp(line.text.c_str() + 2, name) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace tsuzuri
