// The interpreter's process-wide record. Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "script_engine/script_line.h"
#include "sound/sound_layer.h"

namespace tsuzuri {

struct SceneState {
    std::vector<std::unique_ptr<ScriptLine>> lines;  // the loaded script, in file order
    std::int32_t currentLine = 0;  // the line the story stands on; lines.size() at the end
    // Folder of the game, from the path of the last script loaded; media are found below it.
    std::filesystem::path gameFolder;
    std::int32_t windowShown = 1;  // message window, text and highlight are drawn while set
    std::int32_t textDirty = 1;    // the text layer must be redrawn by the next page or menu
    std::int32_t choiceHover = 0;  // a choice row is under the cursor
    std::int32_t hoverRow = 0;     // that row; -1 while a menu shows and no row is hovered
    SoundId seChannel = 0;
    SoundId loopSeChannel = 0;
    SoundId bgmChannel = 0;
    std::filesystem::path scriptFile;  // the file the lines were loaded from
};

extern SceneState sceneState;

// Puts every field back to its start value (releases the lines). For tests and restarts.
void resetSceneState();

}  // namespace tsuzuri
