// The backlog: while a page or a menu waits, the wheel turned up or Page Up shows the pages and
// menus read before it in the message window, as they were drawn, newest first, one per notch
// or key press; a menu with its picked row marked. The wheel down or Page Down past the newest,
// a left click, Enter or Escape go back to the story as it was (so do a right click, Space and
// the gamepad's B, which would otherwise hide the window behind the reader's back). The story
// stands still meanwhile; sounds and sequences play on.
#pragma once

#include "graphics/render_device.h"
#include "ui/action.h"

namespace tsuzuri {

// Takes the presses that are the backlog's: older and newer pages (acted on at the next pass),
// Quit while the backlog is open, and the repeats of a Quit that closed it (so holding Escape
// does not go on to close the window); Backlog opens and leaves it, and the backlog-only page
// actions move in it. Answers whether it took the press.
bool takeBacklogPress(const ActionPress& press);

// Once per idle pass, after the input is sampled: opens, moves or closes the backlog. Answers
// whether the story must stand still this pass: the backlog is open, or this pass's input
// closed it (the click or Enter that closes it does not also turn the page).
bool stepBacklog(const ActionInput& input);

bool isBacklogOpen();
// What the frame shows of the scene while the backlog is open.
const FrameScene& backlogScene();

// Closed, with nothing pending (a new run).
void resetBacklog();

}  // namespace tsuzuri
