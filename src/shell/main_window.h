// The player's single window and its message handling.
#pragma once

#include "platform/main_window.h"
#include "platform/platform.h"

namespace tsuzuri {

// Brings up the window system and opens the window into mainWindow: the fixed 800x600 window,
// or `scale` times that, or as large as fits the desktop, or fullscreen; the last three can be
// resized. Answers true when the window exists. When the window system cannot start, says why
// on stderr.
bool createMainWindow(int scale = 0, bool fitDesktop = false, bool fullscreen = false);

// Handles one message: Page Up and Page Down go to the backlog, and so does Escape while the
// backlog is open; otherwise Escape asks to close, F11 (and Alt+Enter) switch fullscreen, M mutes
// and unmutes, + and - change the volume, F12 saves a screenshot, a close request destroys
// the window, and the window's destruction ends the main loop.
void mainWindowProc(const platform::Message& message);

// Takes the window system down again (the end of the run and the late failure paths).
void unregisterMainWindowClass();

}  // namespace tsuzuri
