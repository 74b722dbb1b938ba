// Shared part of the platform layer: the message queue, the window registry, the key state
// and the dispatch to the selected backend.
#include <cstring>
#include <deque>

#include "common/shift_jis.h"
#include "platform/backend.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

struct PlatformState {
    Backend backend = Backend::Sdl;
    std::deque<Message> queue;
    WindowHandle window = 0;  // the live window, 0 when none
    WindowHandle lastIssuedHandle = 0;
    InputTracker input;
    std::uint64_t idlePasses = 0;
    std::optional<std::pair<int, int>> cursorOverride;
};

PlatformState& state() {
    static PlatformState instance;
    return instance;
}

}  // namespace

InputTracker& inputTracker() {
    return state().input;
}

void enqueueMessage(const Message& message) {
    state().queue.push_back(message);
}

WindowHandle liveWindow() {
    return state().window;
}

void selectBackend(Backend backend) {
    state().backend = backend;
}

Backend currentBackend() {
    return state().backend;
}

bool initWindowSystem(std::string& reason) {
    PlatformState& s = state();
    s.queue.clear();
    s.input = InputTracker{};
    s.idlePasses = 0;
    s.cursorOverride.reset();
    if (s.backend == Backend::Sdl) {
        return sdl::initWindowSystem(reason);
    }
    return true;
}

void shutdownWindowSystem() {
    PlatformState& s = state();
    if (s.window != 0) {
        destroyWindow(s.window);
    }
    if (s.backend == Backend::Sdl) {
        sdl::shutdownWindowSystem();
    }
    s.queue.clear();
}

WindowHandle createWindow(int clientWidth, int clientHeight) {
    PlatformState& s = state();
    if (s.window != 0) {
        return 0;  // the player has exactly one window
    }
    if (s.backend == Backend::Sdl && !sdl::createWindow(clientWidth, clientHeight)) {
        return 0;
    }
    s.window = ++s.lastIssuedHandle;
    return s.window;
}

void setWindowTitle(WindowHandle window, const std::string& sjisTitle) {
    if (window == 0 || window != state().window) {
        return;
    }
    if (state().backend == Backend::Sdl) {
        sdl::setWindowTitle(sjisToUtf8ForDisplay(sjisTitle));
    }
}

void destroyWindow(WindowHandle window) {
    PlatformState& s = state();
    if (window == 0 || window != s.window) {
        return;
    }
    if (s.backend == Backend::Sdl) {
        sdl::destroyWindow();
    }
    s.window = 0;
    // Messages still queued for the window die with it.
    std::erase_if(s.queue, [window](const Message& m) { return m.window == window; });
}

bool isWindowAlive(WindowHandle window) {
    return window != 0 && window == state().window;
}

bool peekMessage(Message& message) {
    PlatformState& s = state();
    if (s.queue.empty()) {
        if (s.backend == Backend::Sdl) {
            sdl::pumpEvents();
        } else {
            headless::pumpEvents(s.idlePasses + 1);
        }
    }
    if (s.queue.empty()) {
        ++s.idlePasses;
        if (s.backend == Backend::Headless) {
            headless::countIdlePass();
        }
        return false;
    }
    message = s.queue.front();
    s.queue.pop_front();
    return true;
}

bool postMessage(WindowHandle window, MessageKind kind) {
    if (!isWindowAlive(window)) {
        return false;
    }
    enqueueMessage(Message{kind, window, 0});
    return true;
}

void postQuitMessage() {
    enqueueMessage(Message{MessageKind::Quit, 0, 0});
}

void getKeyboardState(std::uint8_t keys[256], std::uint8_t pressedSince[256]) {
    InputTracker& input = state().input;
    std::memcpy(keys, input.down, sizeof input.down);
    std::memcpy(pressedSince, input.pressedSince, sizeof input.pressedSince);
    std::memset(input.pressedSince, 0, sizeof input.pressedSince);
}

void setCursorOverride(std::optional<std::pair<int, int>> position) {
    state().cursorOverride = position;
}

bool getCursorClientPos(WindowHandle window, int& x, int& y) {
    if (!isWindowAlive(window)) {
        return false;
    }
    if (state().cursorOverride) {
        x = state().cursorOverride->first;
        y = state().cursorOverride->second;
        return true;
    }
    if (state().backend == Backend::Sdl) {
        return sdl::getCursorClientPos(x, y);
    }
    return headless::getCursorClientPos(x, y);
}

bool presentFrame(WindowHandle window, const std::uint32_t* pixels, int width, int height,
                  int pitchBytes) {
    if (!isWindowAlive(window)) {
        return false;
    }
    if (state().backend == Backend::Sdl) {
        return sdl::presentFrame(pixels, width, height, pitchBytes);
    }
    return headless::presentFrame(pixels, width, height, pitchBytes);
}

bool takeRedrawRequest(WindowHandle window) {
    if (!isWindowAlive(window) || state().backend != Backend::Sdl) {
        return false;
    }
    return sdl::takeRedrawRequest();
}

}  // namespace tsuzuri::platform
