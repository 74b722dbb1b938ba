// The story's screen, at the bottom of the stack: hands each pass's input to the interpreter
// as a value, runs auto mode, reloads the script on F5, opens the backlog, and draws the
// scene. It asks the window to close once the story has run out of lines.
#pragma once

#include <cstdint>

#include "script_engine/scene_state.h"
#include "ui/auto_mode.h"
#include "ui/screen.h"

namespace tsuzuri {

class StoryScreen final : public Screen {
public:
    // Runs the story of `scene`, which outlives the screen.
    explicit StoryScreen(SceneState& scene) : scene_(scene), autoMode_(scene) {}

    // Takes older and newer pages and Backlog, which open the backlog at the next pass while a
    // page or menu waits, and the repeats of a Quit that closed the backlog.
    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    // The backlog is open: the story stands still and auto mode's wait starts over.
    void stand(const ActionInput& input, std::uint32_t nowMs) override;
    // The scene, with "Auto" in the top left corner while auto mode is on.
    bool draw(const std::string& cornerNote) override;

private:
    SceneState& scene_;
    AutoMode autoMode_;
    int pendingSteps_ = 0;    // older (+1) and newer (-1) pages pressed since the last pass
    bool quitTaken_ = false;  // the last Quit closed the backlog: its repeats are taken too
};

}  // namespace tsuzuri
