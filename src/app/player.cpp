#include "app/player.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/session.h"
#include "common/file_buffer.h"
#include "common/game_path.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"

namespace tsuzuri {

namespace {

// The script a --start-at names, as a script line would name it: a path as the checker prints
// it ("mygame/script/start.txt") is taken from after its last "script" folder.
std::string scriptNameOf(const std::string& given) {
    std::string name = given;
    std::replace(name.begin(), name.end(), '/', '\\');
    for (std::size_t from = 0;;) {
        const std::size_t at = name.find("script\\", from);
        if (at == std::string::npos) {
            break;
        }
        if (at == 0 || name[at - 1] == '\\') {
            name.erase(0, at + 7);
            from = 0;
        } else {
            from = at + 1;
        }
    }
    return name;
}

}  // namespace

bool resolveStartAt(std::string& script, std::int32_t& line, const std::string& label,
                    std::string& problem) {
    std::error_code error;
    const std::filesystem::path game = std::filesystem::current_path(error);
    FileBuffer buffer;
    std::string name = script;
    if (!loadWholeFile(buffer, GamePath{game, "script\\" + name}, kMaxTextFileBytes)) {
        name = scriptNameOf(script);
        if (!loadWholeFile(buffer, GamePath{game, "script\\" + name}, kMaxTextFileBytes)) {
            problem = "--start-at: no script '" + script + "' in script/";
            return false;
        }
    }
    if (!label.empty()) {
        SceneState read;
        read.gameFolder = game;
        appendScriptLines(read, buffer);
        const std::int32_t at = findLabel(read, label.c_str());
        if (at < 0) {
            problem = "--start-at: script/" + name + " has no label '" + label + "'";
            return false;
        }
        script = name;
        line = read.lines[static_cast<std::size_t>(at)]->fileLine;
        return true;
    }
    const std::int32_t lines = fileLineCount(buffer);
    if (line > lines) {
        problem = "--start-at: script/" + name + " has " + std::to_string(lines) + " lines; line " +
                  std::to_string(line) + " is past its end";
        return false;
    }
    script = name;
    return true;
}

int runPlayer(const PlayerOptions& options) {
    Session session(options);
    return session.run();
}

}  // namespace tsuzuri
