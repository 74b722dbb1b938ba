// Shared part of the platform layer: the choice of backend, the message queue, the window
// registry and the key state. Everything a backend does goes through its table.
#include <atomic>
#include <cstring>
#include <deque>

#include "common/shift_jis.h"
#include "platform/audio.h"
#include "platform/backend.h"
#include "platform/frame_geometry.h"
#include "platform/platform.h"

namespace tsuzuri::platform {
namespace {

// Read on any thread (the clock), chosen on the main thread before the others start.
constinit std::atomic<const BackendOps*> selectedOps{&sdlBackend};

struct PlatformState {
    Backend backend = Backend::Sdl;
    std::deque<Message> queue;
    WindowHandle window = 0;  // the live window, 0 when none
    WindowHandle lastIssuedHandle = 0;
    InputTracker input;
    std::uint64_t idlePasses = 0;
    std::optional<std::pair<int, int>> cursorOverride;
    std::optional<std::pair<int, int>>
        tapPoint;              // frame space; the last tap, until the mouse moves
    FramePlacement presented;  // where the last frame was shown, for mapping the cursor back
};

PlatformState& state() {
    static PlatformState instance;
    return instance;
}

// Every kind names its table here; a kind without one does not compile (-Wswitch).
const BackendOps& tableOf(Backend backend) {
    switch (backend) {
        case Backend::Sdl:
            return sdlBackend;
        case Backend::Headless:
            return headlessBackend;
    }
    return sdlBackend;
}

}  // namespace

InputTracker& inputTracker() {
    return state().input;
}

void enqueueMessage(const Message& message) {
    Message queued = message;
    if (queued.kind == MessageKind::KeyDown) {
        queued.shifted = inputTracker().down[VK_SHIFT] != 0;
    }
    state().queue.push_back(queued);
}

WindowHandle liveWindow() {
    return state().window;
}

const BackendOps& selectedBackend() {
    return *selectedOps.load(std::memory_order_acquire);
}

void selectBackend(Backend backend) {
    state().backend = backend;
    selectedOps.store(&tableOf(backend), std::memory_order_release);
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
    s.tapPoint.reset();
    return selectedBackend().initWindowSystem(reason);
}

void shutdownWindowSystem() {
    PlatformState& s = state();
    if (s.window != 0) {
        destroyWindow(s.window);
    }
    selectedBackend().shutdownWindowSystem();
    s.queue.clear();
}

WindowHandle createWindow(int clientWidth, int clientHeight, WindowShape shape) {
    PlatformState& s = state();
    if (s.window != 0) {
        return 0;  // the player has exactly one window
    }
    if (!selectedBackend().createWindow(clientWidth, clientHeight, shape)) {
        return 0;
    }
    s.window = ++s.lastIssuedHandle;
    // Until a frame is shown, the cursor maps through where the first one will go.
    int width = clientWidth;
    int height = clientHeight;
    selectedBackend().getDrawableSize(width, height);
    s.presented = fitFrame(width, height);
    return s.window;
}

bool setFullscreen(WindowHandle window, bool on) {
    return isWindowAlive(window) && selectedBackend().setFullscreen(on);
}

bool isFullscreen(WindowHandle window) {
    return isWindowAlive(window) && selectedBackend().isFullscreen();
}

bool resizeWindow(WindowHandle window, int clientWidth, int clientHeight, bool fitDesktop) {
    return isWindowAlive(window) &&
           selectedBackend().resizeWindow(clientWidth, clientHeight, fitDesktop);
}

bool setClipboardText(const std::string& utf8) {
    return selectedBackend().setClipboardText(utf8);
}

bool getDrawableSize(WindowHandle window, int& width, int& height) {
    return isWindowAlive(window) && selectedBackend().getDrawableSize(width, height);
}

void setWindowTitle(WindowHandle window, const std::string& sjisTitle) {
    if (window == 0 || window != state().window) {
        return;
    }
    selectedBackend().setWindowTitle(sjisToUtf8ForDisplay(sjisTitle));
}

void destroyWindow(WindowHandle window) {
    PlatformState& s = state();
    if (window == 0 || window != s.window) {
        return;
    }
    selectedBackend().destroyWindow();
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
        selectedBackend().pumpEvents(s.idlePasses + 1);
    }
    if (s.queue.empty()) {
        ++s.idlePasses;
        selectedBackend().countIdlePass();
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

void restartInputClock() {
    state().idlePasses = 0;
    selectedBackend().restartInputClock();
}

int takeWheelNotches() {
    InputTracker& input = state().input;
    const int notches = input.wheelNotches;
    input.wheelNotches = 0;
    return notches;
}

void setCursorOverride(std::optional<std::pair<int, int>> position) {
    state().cursorOverride = position;
}

bool getCursorClientPos(WindowHandle window, int& x, int& y) {
    return isWindowAlive(window) && selectedBackend().getCursorClientPos(x, y);
}

bool getCursorFramePos(WindowHandle window, int& x, int& y) {
    if (!isWindowAlive(window)) {
        return false;
    }
    const std::optional<std::pair<int, int>>& fixed =
        state().cursorOverride ? state().cursorOverride : state().tapPoint;
    if (fixed) {
        x = fixed->first;
        y = fixed->second;
        return true;
    }
    int clientX = 0;
    int clientY = 0;
    if (!selectedBackend().getCursorClientPos(clientX, clientY)) {
        return false;
    }
    clientToFrame(clientX, clientY, x, y);
    return true;
}

void clientToFrame(int clientX, int clientY, int& x, int& y) {
    const FramePlacement& at = state().presented;
    x = outputToFrame(clientX - at.x, at.width, kScreenWidth);
    y = outputToFrame(clientY - at.y, at.height, kScreenHeight);
}

void tapAt(int x, int y) {
    state().tapPoint = std::pair(x, y);
    state().input.press(VK_LBUTTON);
    state().input.release(VK_LBUTTON);
}

void tapWithTwoFingers() {
    state().input.press(VK_RBUTTON);
    state().input.release(VK_RBUTTON);
}

void forgetTapPoint() {
    state().tapPoint.reset();
}

bool presentFrame(WindowHandle window, const std::uint32_t* pixels, int width, int height,
                  int pitchBytes) {
    if (!isWindowAlive(window)) {
        return false;
    }
    int drawableWidth = width;
    int drawableHeight = height;
    selectedBackend().getDrawableSize(drawableWidth, drawableHeight);
    const FramePlacement placement{(drawableWidth - width) / 2, (drawableHeight - height) / 2,
                                   width, height};
    if (!selectedBackend().presentFrame(pixels, width, height, pitchBytes, placement.x,
                                        placement.y)) {
        return false;
    }
    state().presented = placement;
    return true;
}

bool takeRedrawRequest(WindowHandle window) {
    if (!isWindowAlive(window)) {
        return false;
    }
    return selectedBackend().takeRedrawRequest();
}

// The sound output of audio.h.
bool openAudioOutput(AudioFill fill, std::string& reason) {
    return selectedBackend().openAudioOutput(fill, reason);
}

void closeAudioOutput() {
    selectedBackend().closeAudioOutput();
}

}  // namespace tsuzuri::platform
