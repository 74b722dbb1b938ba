// The interpreter's record of the story: the loaded script, where the story stands and what
// lasts of its scene. The session owns it and hands it to the interpreter and the screens.
// Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "graphics/render_device.h"
#include "platform/platform.h"
#include "script_engine/read_lines.h"
#include "script_engine/read_pages.h"
#include "script_engine/script_form.h"
#include "script_engine/script_line.h"
#include "sound/sound_layer.h"

namespace tsuzuri {

// The frame's share of the record (windowShown, choiceHover, hoverRow) is declared with the
// frame, which is handed this record.
struct SceneState;

// Called with the index of each line the story arrives at (see setLineTrace); null: none.
using LineTrace = void (*)(const SceneState& scene, std::int32_t line);

struct SceneState : FrameScene {
    std::vector<std::unique_ptr<ScriptLine>> lines;  // the loaded script, in file order
    std::int32_t currentLine = 0;  // the line the story stands on; lines.size() at the end
    // Folder of the game, from the path of the last script loaded; media are found below it.
    std::filesystem::path gameFolder;
    std::int32_t textDirty = 1;  // the text layer must be redrawn by the next page or menu
    SoundId seChannel = 0;
    SoundId loopSeChannel = 0;
    SoundId bgmChannel = 0;
    std::filesystem::path scriptFile;  // the file the lines were loaded from
    ScriptForm scriptForm;             // how that file was written
    // A menu row highlighted with Up and Down (or the D-pad) rather than the pointer: -1 while
    // the pointer has the highlight. keyCursorX/Y: where the pointer was when the keys took
    // it; moving the pointer from there hands the highlight back.
    std::int32_t keyRow = -1;
    int keyCursorX = 0;
    int keyCursorY = 0;
    // What lasts of the scene, named as its lines name it (Shift-JIS, without the prefix
    // character); empty for none: the picture shown last, and the BGM, looping sound effect and
    // repeating sequence now playing. Kept so that a place in the story can be remembered.
    std::string scenePicture;
    std::string bgmName;
    std::string loopSeName;
    std::string loopWaoName;
    // The pages and menus left behind, for the backlog.
    ReadPages readPages;
    // Every page and menu of the game ever shown, and whether a skip has stopped (at a page it
    // may not pass, or a menu) and waits for the skip key to be let go.
    ReadLines readLines;
    bool skipHalted = false;
    // The run's clock: a step's time bound and the pause after a script loads.
    Clock* clock = &platform::systemClock();
    // The frame the story draws into (its picture, text and flash); the owner sets it.
    RenderState* render = nullptr;
    LineTrace lineTrace = nullptr;
    bool traceStartPending = false;  // the line the next step starts on is not reported yet
};

}  // namespace tsuzuri
