// The player's own chooser, drawn in its window: used for the script chooser and the game
// chooser when the desktop has no dialog program (and in headless runs whose input file has
// no `choose` answer left).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "graphics/render_device.h"
#include "ui/screen_loop.h"

namespace tsuzuri {

enum class ChooserKind {
    ScriptFile,  // the "*.txt" files of the start folder
    GameFolder,  // folders: a game folder (with Game.INI or script/) is picked, others opened
};

// One entry of the list: what it shows and where it leads.
struct ChooserEntry {
    std::string label;  // Shift-JIS
    std::filesystem::path path;
    bool opens = false;  // a folder to go into rather than an answer
};

// The entries of `folder` for the kind, sorted by name in byte order: for games the parent
// folder ("..") comes first unless `folder` is the root. Hidden names (".x") are left out.
std::vector<ChooserEntry> listChooserEntries(const std::filesystem::path& folder, ChooserKind kind);

// Runs the chooser in the main window, starting in `startFolder`, until a file or game folder
// is picked (its absolute path) or the reader cancels with Escape or by closing the window
// (nothing). Up/Down (and Page Up/Down) move the highlight, Enter picks it, the pointer
// highlights the row under it and a click picks it, the wheel scrolls. The first entry is
// highlighted when the list opens. The current directory is left as it was. It draws into `render`,
// its passes paced by `clock`; `loop` adds what the run does around each pass (its limits),
// and a loop its owner ends counts as cancelled.
std::optional<std::filesystem::path> chooseInWindow(const std::filesystem::path& startFolder,
                                                    ChooserKind kind, RenderState& render,
                                                    Clock& clock, const LoopOptions& loop = {});

}  // namespace tsuzuri
