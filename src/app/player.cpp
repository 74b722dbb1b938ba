#include "app/player.h"

#include <filesystem>
#include <string>

#include "app/session.h"
#include "common/file_buffer.h"
#include "common/game_path.h"
#include "script_engine/script_file.h"

namespace tsuzuri {

bool canStartAt(const std::string& script, std::int32_t line, std::string& problem) {
    std::error_code error;
    FileBuffer buffer;
    if (!loadWholeFile(buffer, GamePath{std::filesystem::current_path(error), "script\\" + script},
                       kMaxTextFileBytes)) {
        problem = "--start-at: no script '" + script + "' in script/";
        return false;
    }
    const std::int32_t lines = fileLineCount(buffer);
    if (line > lines) {
        problem = "--start-at: script/" + script + " has " + std::to_string(lines) +
                  " lines; line " + std::to_string(line) + " is past its end";
        return false;
    }
    return true;
}

int runPlayer(const PlayerOptions& options) {
    Session session(options);
    return session.run();
}

}  // namespace tsuzuri
