// The player's single window: making it, the actions that belong to the window itself, and the
// system's handling of its messages.
#pragma once

#include "platform/main_window.h"
#include "platform/platform.h"
#include "ui/action.h"

namespace tsuzuri {

// Brings up the window system and opens the window into mainWindow: the fixed 800x600 window,
// or `scale` times that, or as large as fits the desktop, or fullscreen; the last three can be
// resized. Answers true when the window exists. When the window system cannot start, says why
// on stderr.
bool createMainWindow(int scale = 0, bool fitDesktop = false, bool fullscreen = false);

// The window's own actions, taken when no screen took the press: Quit asks to close the window,
// Fullscreen switches fullscreen, Mute, VolumeUp and VolumeDown change the sound (shown in the
// frame's corner for a moment), Screenshot saves the frame. Held keys repeat only the volume
// steps. Answers whether the press was the window's.
bool takeWindowAction(const ActionPress& press);

// What the system does with a message: a close request destroys the window, and the window's
// destruction ends the main loop.
void mainWindowProc(const platform::Message& message);

// Takes the window system down again (the end of the run and the late failure paths).
void unregisterMainWindowClass();

}  // namespace tsuzuri
