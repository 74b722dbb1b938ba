// The player's single window and its message handling.
#pragma once

#include "platform/main_window.h"
#include "platform/platform.h"

namespace tsuzuri {

// Brings up the window system and opens the fixed 800x600 window into mainWindow. Answers
// true when the window exists. When the window system cannot start, says why on stderr.
bool createMainWindow();

// Handles one message: Escape asks to close, a close request destroys the window, and the
// window's destruction ends the main loop.
void mainWindowProc(const platform::Message& message);

// Takes the window system down again (the end of the run and the late failure paths).
void unregisterMainWindowClass();

}  // namespace tsuzuri
