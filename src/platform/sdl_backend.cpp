// The SDL2 backend: a real window, input from SDL's events, frames shown through the window
// surface. The frame is composed in software already, so the window surface is the cheapest
// way to the screen on both X11 and Wayland (no GPU context to create or feed).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/backend.h"

namespace tsuzuri::platform {
namespace sdl {
namespace {

struct SdlState {
    bool videoUp = false;
    SDL_Window* window = nullptr;
    bool leftCtrl = false;
    bool rightCtrl = false;
    bool redrawRequested = false;
    // The pointer has left the window and not come back; SDL's global position may then be
    // a stale one from inside (X11 refreshes it only on some events, Wayland has none).
    bool pointerLeft = false;
};

SdlState& state() {
    static SdlState instance;
    return instance;
}

bool hasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Virtual-key code of a keyboard key the player reads, or 0.
int virtualKeyOf(SDL_Keycode key) {
    switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_F5:
            return VK_F5;
        default:
            return 0;
    }
}

void handleKey(const SDL_KeyboardEvent& event, bool down) {
    SdlState& s = state();
    InputTracker& input = inputTracker();
    int key = virtualKeyOf(event.keysym.sym);
    if (key == 0) {
        return;
    }
    if (key == VK_CONTROL) {
        // Ctrl counts as down while either Ctrl key is held.
        (event.keysym.sym == SDLK_LCTRL ? s.leftCtrl : s.rightCtrl) = down;
        if (s.leftCtrl || s.rightCtrl) {
            input.press(VK_CONTROL);
        } else {
            input.release(VK_CONTROL);
        }
        return;
    }
    if (down) {
        input.press(key);
        if (key == VK_ESCAPE) {
            enqueueMessage(Message{MessageKind::KeyDown, liveWindow(), VK_ESCAPE});
        }
    } else {
        input.release(key);
    }
}

void handleButton(const SDL_MouseButtonEvent& event, bool down) {
    int key = event.button == SDL_BUTTON_LEFT    ? VK_LBUTTON
              : event.button == SDL_BUTTON_RIGHT ? VK_RBUTTON
                                                 : 0;
    if (key == 0) {
        return;
    }
    if (down) {
        inputTracker().press(key);
    } else {
        inputTracker().release(key);
    }
}

bool initWindowSystem(std::string& reason) {
    SdlState& s = state();
    if (!hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY") && !hasEnv("SDL_VIDEODRIVER")) {
        // SDL would otherwise fall back to an invisible offscreen window.
        reason =
            "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set). Run the player in "
            "a desktop session, under Xvfb (xvfb-run tsuzuri GAME_DIR), or without a window "
            "with --headless (add --autoplay --record DIR to review the game as recorded "
            "pictures and sound).";
        return false;
    }
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        reason = std::string("the window system could not be started: ") + SDL_GetError();
        return false;
    }
    s.videoUp = true;
    watchForDisplayLoss();
    return true;
}

void destroyWindow() {
    SdlState& s = state();
    if (s.window != nullptr) {
        SDL_DestroyWindow(s.window);
        s.window = nullptr;
    }
}

void shutdownWindowSystem() {
    SdlState& s = state();
    destroyWindow();
    if (s.videoUp) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s.videoUp = false;
    }
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
        SDL_Quit();  // also ends SDL's desktop-bus connection
    }
}

bool createWindow(int clientWidth, int clientHeight) {
    SdlState& s = state();
    if (!s.videoUp || s.window != nullptr) {
        return false;
    }
    // Not resizable, so window managers offer no maximise control.
    s.window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                                clientHeight, SDL_WINDOW_SHOWN);
    if (s.window == nullptr) {
        std::fprintf(stderr, "tsuzuri: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    s.leftCtrl = s.rightCtrl = false;
    s.pointerLeft = false;
    return true;
}

void setWindowTitle(const std::string& utf8Title) {
    if (state().window != nullptr) {
        SDL_SetWindowTitle(state().window, utf8Title.c_str());
    }
}

// The SDL events carry their own timing; the pass number is of no use here.
void pumpEvents(std::uint64_t /*nextIdlePass*/) {
    SdlState& s = state();
    if (!s.videoUp) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                // The desktop (or Ctrl+C in the terminal) asks the program to end.
                if (liveWindow() != 0) {
                    enqueueMessage(Message{MessageKind::Close, liveWindow(), 0});
                }
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE && liveWindow() != 0) {
                    enqueueMessage(Message{MessageKind::Close, liveWindow(), 0});
                } else if (event.window.event == SDL_WINDOWEVENT_ENTER) {
                    s.pointerLeft = false;
                } else if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
                    s.pointerLeft = true;
                } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                           event.window.event == SDL_WINDOWEVENT_SHOWN ||
                           event.window.event == SDL_WINDOWEVENT_RESTORED ||
                           event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    s.redrawRequested = true;
                }
                break;
            case SDL_KEYDOWN:
                handleKey(event.key, true);
                break;
            case SDL_KEYUP:
                handleKey(event.key, false);
                break;
            case SDL_MOUSEBUTTONDOWN:
                handleButton(event.button, true);
                break;
            case SDL_MOUSEBUTTONUP:
                handleButton(event.button, false);
                break;
            default:
                break;
        }
    }
}

bool getCursorClientPos(int& x, int& y) {
    SdlState& s = state();
    if (s.window == nullptr) {
        return false;
    }
    // Over the window: the window-relative position SDL keeps from the motion events.
    if (SDL_GetMouseFocus() == s.window) {
        SDL_GetMouseState(&x, &y);
        return true;
    }
    // Elsewhere: the global position minus the window's. That also serves a pointer that was
    // inside before any event came (the window mapped under it).
    int globalX = 0, globalY = 0, windowX = 0, windowY = 0, width = 0, height = 0;
    SDL_GetGlobalMouseState(&globalX, &globalY);
    SDL_GetWindowPosition(s.window, &windowX, &windowY);
    SDL_GetWindowSize(s.window, &width, &height);
    x = globalX - windowX;
    y = globalY - windowY;
    if (s.pointerLeft && x >= 0 && x < width && y >= 0 && y < height) {
        // A position inside after the pointer left is stale: it is outside.
        x = -1;
        y = -1;
    }
    return true;
}

bool presentFrame(const std::uint32_t* pixels, int width, int height, int pitchBytes) {
    SdlState& s = state();
    if (s.window == nullptr) {
        return false;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(s.window);
    if (surface == nullptr) {
        return false;
    }
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(pixels), width, height, 32,
                                           pitchBytes, SDL_PIXELFORMAT_ARGB8888);
    if (source == nullptr) {
        return false;
    }
    // Plain copy: the frame is opaque and the window shows it as it is.
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    int blit = SDL_BlitSurface(source, nullptr, surface, nullptr);
    SDL_FreeSurface(source);
    if (blit != 0) {
        return false;
    }
    return SDL_UpdateWindowSurface(s.window) == 0;
}

void countIdlePass() {}

bool takeRedrawRequest() {
    const bool requested = state().redrawRequested;
    state().redrawRequested = false;
    return requested;
}

void showMessageBox(const std::string& utf8Caption, const std::string& utf8Text) {
    // Without a display there is nobody to click the box, and SDL's fallbacks would only
    // print warnings of their own; the text is on stderr already.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool offscreen = driver != nullptr && (std::string_view(driver) == "dummy" ||
                                                 std::string_view(driver) == "offscreen");
    if (offscreen || (!hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY"))) {
        return;
    }
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, utf8Caption.c_str(), utf8Text.c_str(), nullptr);
}

}  // namespace
}  // namespace sdl

// The file dialog is the desktop's own program; the clock and the sound output are shared.
constinit const BackendOps sdlBackend{
    .initWindowSystem = sdl::initWindowSystem,
    .shutdownWindowSystem = sdl::shutdownWindowSystem,
    .createWindow = sdl::createWindow,
    .destroyWindow = sdl::destroyWindow,
    .setWindowTitle = sdl::setWindowTitle,
    .pumpEvents = sdl::pumpEvents,
    .countIdlePass = sdl::countIdlePass,
    .getCursorClientPos = sdl::getCursorClientPos,
    .presentFrame = sdl::presentFrame,
    .takeRedrawRequest = sdl::takeRedrawRequest,
    .showMessageBox = sdl::showMessageBox,
    .showOpenFileDialog = runDesktopFileDialog,
    .timeGetTime = steadyClockMs,
    .sleepMs = steadySleepMs,
    .openAudioOutput = openSdlAudioOutput,
    .closeAudioOutput = closeSdlAudioOutput,
};

}  // namespace tsuzuri::platform
