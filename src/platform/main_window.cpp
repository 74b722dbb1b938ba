#include "platform/main_window.h"

namespace tsuzuri {

platform::WindowHandle mainWindow = 0;

}  // namespace tsuzuri
