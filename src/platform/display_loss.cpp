// Ending the run when the display's server goes away. The X library's answer to a broken
// connection is to print a line and call exit() from inside whatever call noticed it; that
// runs static destructors under the feet of the sound and cue threads and aborts the process.
// Instead the player ends what runs beside the window itself and leaves quietly.
#include <dlfcn.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/backend.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

// The X library's hook takes no data of its own, so the handler waits here for it.
DisplayLostHandler displayLostHandler;

// The X library's fatal-error hook; it must not return (the library would exit if it did).
int onDisplayConnectionLost(void* /*display*/) {
    std::fprintf(stderr, "tsuzuri: the connection to the display was lost; ending\n");
    if (displayLostHandler) {
        displayLostHandler();
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace

void setDisplayLostHandler(DisplayLostHandler handler) {
    displayLostHandler = std::move(handler);
}

void watchForDisplayLoss() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::string_view(driver) != "x11") {
        return;
    }
    // SDL has loaded the X library itself; find its hook there rather than link against it.
    void* xlib = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr) {
        return;
    }
    using IoErrorHandler = int (*)(void*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    if (void* set = ::dlsym(xlib, "XSetIOErrorHandler")) {
        reinterpret_cast<SetIoErrorHandler>(set)(onDisplayConnectionLost);
    }
    // The library stays loaded with SDL's reference; this lookup's own reference is dropped.
    ::dlclose(xlib);
}

}  // namespace tsuzuri::platform
