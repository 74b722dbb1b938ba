// The backlog: while a page or a menu waits, the wheel turned up or Page Up shows the pages and
// menus read before it in the message window, as they were drawn, newest first, one per notch
// or key press; a menu with its picked row marked. The wheel down or Page Down past the newest,
// a left click, Enter or Escape go back to the story as it was (so do a right click, Space and
// the gamepad's B, which would otherwise hide the window behind the reader's back). The story
// stands still meanwhile; sounds and sequences play on.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/render_device.h"
#include "graphics/text_layer.h"
#include "script_engine/scene_state.h"
#include "ui/auto_mode.h"
#include "ui/screen.h"

namespace tsuzuri {

class BacklogScreen final : public Screen {
public:
    // `quitTaken` is the story's record that a Quit closed the backlog, so that the repeats of a
    // held Escape do not go on to close the window; `autoMode` is the story's, whose mark shows
    // beside the backlog's; `pages` are the story's pages left behind. All outlive this screen.
    // `rewind` is called with the page shown (this many back) when the reader asks to go
    // back to it.
    BacklogScreen(RenderState& render, bool& quitTaken, const AutoMode& autoMode,
                  const ReadPages& pages, std::function<void(std::int64_t back)> rewind);

    // Opens `steps` pages back from the story, on the pass that asked for it; that pass's
    // click or toggle closes it again at once.
    void open(int steps, const ActionInput& input);

    // Older and newer pages (acted on at the next pass); Quit and Backlog leave; Rewind leaves
    // and takes the story back to the page shown (auto mode's key, which the gamepad's X
    // shares with it, does nothing here).
    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    // The page looked back at, with "Backlog N/M" in the top left corner.
    bool draw(const std::string& cornerNote) override;
    bool isClosed() const override { return !open_; }
    void end() override;

private:
    // Moves `steps` pages (older positive); leaving past the newest, or when asked.
    void move(int steps, bool closeAsked, const ActionInput& input);
    void show(std::int64_t back);
    void close();

    RenderState& render_;  // the story's frame, which the backlog shows its pages in
    bool& quitTaken_;
    const AutoMode& autoMode_;
    const ReadPages& pages_;
    std::function<void(std::int64_t back)> rewind_;
    bool open_ = false;
    std::int64_t back_ = 0;    // the page shown, this many back
    int pendingSteps_ = 0;     // older (+1) and newer (-1) pages pressed since the last pass
    bool closeAsked_ = false;  // Quit or Backlog pressed
    std::vector<DrawnPage> storyText_;  // what the text layer showed when the backlog opened
    FrameScene scene_;
};

// A page or a menu of `scene` is drawn and waits for the reader: the backlog may open.
bool storyWaits(const SceneState& scene);

}  // namespace tsuzuri
