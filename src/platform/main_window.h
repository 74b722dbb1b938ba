// The player's one window, as the rest of the engine names it. It lives at the bottom so that
// every layer that needs the window (the frame, the sound output) can reach it; the shell
// makes and ends it.
#pragma once

#include "platform/platform.h"

namespace tsuzuri {

// The window, set once by the shell when it makes the window (0 when that failed).
extern platform::WindowHandle mainWindow;

}  // namespace tsuzuri
