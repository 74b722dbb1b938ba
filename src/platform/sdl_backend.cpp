// The SDL2 backend: a real window, input from SDL's events, frames shown through the window
// surface. The frame is composed in software already, so the window surface is the cheapest
// way to the screen on both X11 and Wayland (no GPU context to create or feed).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/backend.h"
#include "platform/frame_geometry.h"

namespace tsuzuri::platform {
namespace sdl {
namespace {

struct SdlState {
    bool videoUp = false;
    SDL_Window* window = nullptr;
    bool leftCtrl = false;
    bool rightCtrl = false;
    bool leftShift = false;
    bool rightShift = false;
    bool redrawRequested = false;
    // The pointer has left the window and not come back; SDL's global position may then be
    // a stale one from inside (X11 refreshes it only on some events, Wayland has none).
    bool pointerLeft = false;
    // The touch gesture under way: fingers down now, whether a second one joined, and where
    // the first went down (normalised to the window).
    int fingers = 0;
    bool twoFingers = false;
    float tapX = 0;
    float tapY = 0;
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
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_UP:
        case SDLK_KP_8:
            return VK_UP;
        case SDLK_DOWN:
        case SDLK_KP_2:
            return VK_DOWN;
        case SDLK_LEFT:
        case SDLK_KP_4:
            return VK_LEFT;
        case SDLK_RIGHT:
        case SDLK_KP_6:
            return VK_RIGHT;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_a:
            return VK_A;
        case SDLK_c:
            return VK_C;
        case SDLK_l:
            return VK_L;
        case SDLK_m:
            return VK_M;
        case SDLK_o:
            return VK_O;
        case SDLK_r:
            return VK_R;
        case SDLK_s:
            return VK_S;
        case SDLK_PLUS:
        case SDLK_EQUALS:  // + without Shift on most layouts
        case SDLK_KP_PLUS:
            return VK_OEM_PLUS;
        case SDLK_MINUS:
        case SDLK_KP_MINUS:
            return VK_OEM_MINUS;
        case SDLK_F5:
            return VK_F5;
        case SDLK_F6:
            return VK_F6;
        case SDLK_F9:
            return VK_F9;
        case SDLK_F11:
            return VK_F11;
        case SDLK_F12:
            return VK_F12;
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
    const bool isEnter = key == VK_RETURN;
    if (key == VK_F11 || (isEnter && down && (event.keysym.mod & KMOD_ALT) != 0)) {
        // F11 and Alt+Enter toggle fullscreen; the Enter of Alt+Enter never reaches the story,
        // and a held key toggles once.
        if (down && event.repeat == 0 && liveWindow() != 0) {
            enqueueMessage(Message{MessageKind::KeyDown, liveWindow(), VK_F11});
        }
        return;
    }
    if (key == VK_CONTROL || key == VK_SHIFT) {
        // Ctrl and Shift count as down while either of the two keys is held.
        const SDL_Keycode sym = event.keysym.sym;
        (sym == SDLK_LCTRL    ? s.leftCtrl
         : sym == SDLK_RCTRL  ? s.rightCtrl
         : sym == SDLK_LSHIFT ? s.leftShift
                              : s.rightShift) = down;
        const bool held =
            key == VK_CONTROL ? (s.leftCtrl || s.rightCtrl) : (s.leftShift || s.rightShift);
        if (held) {
            input.press(key);
        } else {
            input.release(key);
        }
        return;
    }
    if (down) {
        input.press(key);
        if (liveWindow() != 0) {
            enqueueMessage(Message{MessageKind::KeyDown, liveWindow(), key, event.repeat != 0});
        }
    } else {
        input.release(key);
    }
}

// A tap is a finger put down and lifted; a second finger joining makes it a two-finger tap. The
// action comes when the last finger is lifted.
void handleFinger(const SDL_TouchFingerEvent& event, bool down) {
    SdlState& s = state();
    if (down) {
        if (s.fingers++ == 0) {
            s.twoFingers = false;
            s.tapX = event.x;
            s.tapY = event.y;
        } else {
            s.twoFingers = true;
        }
        return;
    }
    if (s.fingers == 0 || --s.fingers > 0) {
        return;
    }
    if (s.twoFingers) {
        tapWithTwoFingers();
        return;
    }
    int width = 0, height = 0;
    SDL_GetWindowSizeInPixels(s.window, &width, &height);
    int x = 0, y = 0;
    clientToFrame(static_cast<int>(s.tapX * static_cast<float>(width)),
                  static_cast<int>(s.tapY * static_cast<float>(height)), x, y);
    tapAt(x, y);
}

void handleButton(const SDL_MouseButtonEvent& event, bool down) {
    if (event.which == SDL_TOUCH_MOUSEID) {
        return;  // made up from a touch, which is handled as a tap already
    }
    int key = event.button == SDL_BUTTON_LEFT     ? VK_LBUTTON
              : event.button == SDL_BUTTON_RIGHT  ? VK_RBUTTON
              : event.button == SDL_BUTTON_MIDDLE ? VK_MBUTTON
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
    // A touch is one tap, not also a mouse click.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        reason = std::string("the window system could not be started: ") + SDL_GetError();
        return false;
    }
    s.videoUp = true;
    watchForDisplayLoss();
    startGamepads();
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
    stopGamepads();
    if (s.videoUp) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s.videoUp = false;
    }
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
        SDL_Quit();  // also ends SDL's desktop-bus connection
    }
}

// How long fitToDesktop waits for the window manager's borders, in 10 ms steps.
constexpr int kBorderWaitSteps = 30;

// Sizes the window to the largest 4:3 client area that fits the usable desktop area of its
// display once its borders are taken off, and centres it there.
void fitToDesktop(SDL_Window* window) {
    SDL_Rect usable;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        return;
    }
    // The window manager tells the borders once it has framed the window; without one, or if
    // it does not say within a moment, the window has none.
    int top = 0, left = 0, bottom = 0, right = 0;
    for (int attempt = 0; attempt < kBorderWaitSteps; ++attempt) {
        SDL_PumpEvents();
        if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 &&
            top + left + bottom + right > 0) {
            break;
        }
        top = left = bottom = right = 0;
        SDL_Delay(10);
    }
    const int availableWidth = usable.w - left - right;
    const int availableHeight = usable.h - top - bottom;
    const FramePlacement fit = fitFrame(availableWidth, availableHeight);
    SDL_SetWindowSize(window, fit.width, fit.height);
    SDL_SetWindowPosition(window, usable.x + left + fit.x, usable.y + top + fit.y);
}

bool createWindow(int clientWidth, int clientHeight, WindowShape shape) {
    SdlState& s = state();
    if (!s.videoUp || s.window != nullptr) {
        return false;
    }
    // A plain window is not resizable, so window managers offer no maximise control.
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (shape.resizable) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    s.window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                                clientHeight, flags);
    if (s.window == nullptr) {
        std::fprintf(stderr, "tsuzuri: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    if (shape.fitDesktop) {
        fitToDesktop(s.window);
    }
    if (shape.fullscreen && SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        std::fprintf(stderr, "tsuzuri: cannot go fullscreen: %s\n", SDL_GetError());
    }
    s.leftCtrl = s.rightCtrl = s.leftShift = s.rightShift = false;
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
            case SDL_MOUSEMOTION:
                if (event.motion.which != SDL_TOUCH_MOUSEID) {
                    forgetTapPoint();
                }
                break;
            case SDL_FINGERDOWN:
            case SDL_FINGERUP:
                if (s.window != nullptr) {
                    handleFinger(event.tfinger, event.type == SDL_FINGERDOWN);
                }
                break;
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
            case SDL_CONTROLLERAXISMOTION:
                handleGamepadEvent(event);
                break;
            case SDL_MOUSEWHEEL:
                inputTracker().wheelNotches += event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED
                                                   ? -event.wheel.y
                                                   : event.wheel.y;
                break;
            default:
                break;
        }
    }
}

bool setFullscreen(bool on) {
    SdlState& s = state();
    if (s.window == nullptr) {
        return false;
    }
    if (SDL_SetWindowFullscreen(s.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "tsuzuri: cannot %s fullscreen: %s\n", on ? "go" : "leave",
                     SDL_GetError());
        return false;
    }
    s.redrawRequested = true;
    return true;
}

bool resizeWindow(int clientWidth, int clientHeight, bool fitDesktop) {
    SdlState& s = state();
    if (s.window == nullptr || !setFullscreen(false)) {
        return false;
    }
    SDL_SetWindowResizable(s.window, SDL_TRUE);
    if (fitDesktop) {
        fitToDesktop(s.window);
    } else {
        SDL_SetWindowSize(s.window, clientWidth, clientHeight);
        SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    s.redrawRequested = true;
    return true;
}

bool setClipboardText(const std::string& utf8) {
    if (SDL_SetClipboardText(utf8.c_str()) != 0) {
        std::fprintf(stderr, "tsuzuri: cannot put the text on the clipboard: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

bool isFullscreen() {
    SdlState& s = state();
    return s.window != nullptr && (SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                                      SDL_WINDOW_FULLSCREEN_DESKTOP;
}

bool getDrawableSize(int& width, int& height) {
    SdlState& s = state();
    if (s.window == nullptr) {
        return false;
    }
    SDL_GetWindowSizeInPixels(s.window, &width, &height);
    return true;
}

// Screen coordinates of the window -> its drawable pixels (they differ on high-DPI desktops).
void toPixels(SDL_Window* window, int& x, int& y) {
    int width = 0, height = 0, pixelWidth = 0, pixelHeight = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_GetWindowSizeInPixels(window, &pixelWidth, &pixelHeight);
    if (width > 0 && height > 0 && (width != pixelWidth || height != pixelHeight)) {
        x = static_cast<int>(static_cast<long long>(x) * pixelWidth / width);
        y = static_cast<int>(static_cast<long long>(y) * pixelHeight / height);
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
        toPixels(s.window, x, y);
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
        return true;
    }
    toPixels(s.window, x, y);
    return true;
}

// Paints the parts of the surface outside the frame's rectangle black.
void fillBars(SDL_Surface* surface, const SDL_Rect& frame) {
    const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
    const SDL_Rect bars[] = {
        {0, 0, surface->w, frame.y},
        {0, frame.y + frame.h, surface->w, surface->h - frame.y - frame.h},
        {0, frame.y, frame.x, frame.h},
        {frame.x + frame.w, frame.y, surface->w - frame.x - frame.w, frame.h},
    };
    for (const SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0) {
            SDL_FillRect(surface, &bar, black);
        }
    }
}

bool presentFrame(const std::uint32_t* pixels, int width, int height, int pitchBytes, int x,
                  int y) {
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
    SDL_Rect place{x, y, width, height};
    fillBars(surface, place);
    int blit = SDL_BlitSurface(source, nullptr, surface, &place);
    SDL_FreeSurface(source);
    if (blit != 0) {
        return false;
    }
    return SDL_UpdateWindowSurface(s.window) == 0;
}

void countIdlePass() {}

// SDL's events carry their own timing: there is no input clock to restart.
// A reader at the window can always still give input.
bool readerIsThere() {
    return true;
}

void restartInputClock() {}

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
    .setFullscreen = sdl::setFullscreen,
    .isFullscreen = sdl::isFullscreen,
    .resizeWindow = sdl::resizeWindow,
    .setClipboardText = sdl::setClipboardText,
    .getDrawableSize = sdl::getDrawableSize,
    .getCursorClientPos = sdl::getCursorClientPos,
    .presentFrame = sdl::presentFrame,
    .takeRedrawRequest = sdl::takeRedrawRequest,
    .showMessageBox = sdl::showMessageBox,
    .showOpenFileDialog = runDesktopFileDialog,
    .showFolderDialog = runDesktopFolderDialog,
    .isFileDialogAvailable = hasDesktopDialog,
    .canInputStillArrive = sdl::readerIsThere,
    .restartInputClock = sdl::restartInputClock,
    .timeGetTime = steadyClockMs,
    .sleepMs = steadySleepMs,
    .openAudioOutput = openSdlAudioOutput,
    .closeAudioOutput = closeSdlAudioOutput,
};

}  // namespace tsuzuri::platform
