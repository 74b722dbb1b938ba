// The story's screen, at the bottom of the stack: hands each pass's input to the interpreter
// as a value, runs auto mode, reloads the script on F5, saves and loads at once on F6 and F9,
// opens the backlog and goes back to a page of it when asked, and draws the scene. It asks the
// window to close once the story has run out of lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "script_engine/scene_state.h"
#include "ui/auto_mode.h"
#include "ui/preferences.h"
#include "ui/quick_saves.h"
#include "ui/screen.h"

namespace tsuzuri {

class StoryScreen final : public Screen {
public:
    // Runs the story of `scene` with the reader's `preferences`; `slots` are its game's saves
    // (null: this run keeps none). All outlive the screen.
    StoryScreen(SceneState& scene, Preferences& preferences, const SaveSlots* slots)
        : scene_(scene), preferences_(preferences), autoMode_(scene), quickSaves_(scene, slots) {}

    // Takes older and newer pages and Backlog, which open the backlog at the next pass while a
    // page or menu waits, and the repeats of a Quit that closed the backlog.
    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    // The backlog is open: the story stands still and auto mode's wait starts over.
    void stand(const ActionInput& input, std::uint32_t nowMs) override;
    // The scene, with "Skip" in the top left corner while a skip runs, else "Auto" while auto
    // mode is on, and what a quick
    // save or load did in the top right one for a moment.
    bool draw(const std::string& cornerNote) override;

private:
    // Takes the story back to the page `back` pages back in the backlog, with its scene, the
    // pages after it dropped.
    void rewind(std::int64_t back, std::uint32_t nowMs);
    // Shows what a reload did (or why not) in the corner for a moment.
    void showReloadNote(const std::optional<std::string>& note, std::uint32_t nowMs);

    SceneState& scene_;
    Preferences& preferences_;
    AutoMode autoMode_;
    QuickSaves quickSaves_;
    // QuickSave, QuickLoad, OpenSave, OpenLoad or SystemMenu asked for, acted on at the next
    // pass
    Action requested_ = Action::Advance;
    bool requestPending_ = false;
    std::uint32_t nowMs_ = 0;  // the last pass's clock, for the corner note
    bool skipping_ = false;    // the last pass skipped (shown in the corner)
    // "Copied" for a moment after the page was copied, in the top right corner.
    static constexpr std::uint32_t kNoteMs = 1500;
    std::string note_;
    std::uint32_t noteShownAtMs_ = 0;
    std::uint64_t pagesCopied_ = 0;  // the frame's pagesDrawn when a page was copied last

    int pendingSteps_ = 0;            // older (+1) and newer (-1) pages pressed since the last pass
    std::int64_t pendingRewind_ = 0;  // the backlog asked to go back this many pages
    bool quitTaken_ = false;          // the last Quit closed the backlog: its repeats are taken too
};

}  // namespace tsuzuri
