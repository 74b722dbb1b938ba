// The headless backend: plays an input script, keeps presented frames and message boxes.
#include <cstdio>
#include <cstring>
#include <deque>

#include "platform/backend.h"
#include "platform/frame_geometry.h"
#include "platform/headless.h"

namespace tsuzuri::platform {
namespace {

struct HeadlessState {
    std::vector<ScriptedEvent> pending;  // not yet applied, in script order
    std::deque<std::optional<std::filesystem::path>> chooserAnswers;
    std::uint32_t inputOrigin = 0;  // what `ms` counts from: the player's start, then the loop's
    int cursorX = 0, cursorY = 0;
    std::uint64_t idlePasses = 0;
    std::uint64_t presentedFrames = 0;
    bool displayLost = false;
    int windowWidth = kScreenWidth;
    int windowHeight = kScreenHeight;
    bool fullscreen = false;
    CapturedFrame lastFrame;
    std::vector<std::string> messageLog;
    std::string clipboard;
};

HeadlessState& state() {
    static HeadlessState instance;
    return instance;
}

bool isDue(const ScriptedEvent& event, std::uint64_t nextIdlePass, std::uint32_t elapsedMs) {
    if (event.when == ScriptedEvent::When::Pass) {
        return event.at <= nextIdlePass;
    }
    return event.at <= elapsedMs;
}

// A key going down reaches the window as a message as well as key state; the mouse buttons
// are no keys there.
void announceKey(int key) {
    if (key != VK_LBUTTON && key != VK_RBUTTON && key != VK_MBUTTON && liveWindow() != 0) {
        enqueueMessage(Message{MessageKind::KeyDown, liveWindow(), key});
    }
}

void apply(const ScriptedEvent& event) {
    HeadlessState& s = state();
    InputTracker& input = inputTracker();
    switch (event.action) {
        case ScriptedEvent::Action::Down:
            input.press(event.key);
            announceKey(event.key);
            break;
        case ScriptedEvent::Action::Up:
            input.release(event.key);
            break;
        case ScriptedEvent::Action::Tap:
            input.press(event.key);
            announceKey(event.key);
            input.release(event.key);
            break;
        case ScriptedEvent::Action::AltEnter:
            announceKey(VK_F11);  // the fullscreen toggle; the Enter itself is not pressed
            break;
        case ScriptedEvent::Action::Touch:
            tapAt(event.x, event.y);
            break;
        case ScriptedEvent::Action::Wheel:
            input.wheelNotches += event.x;
            break;
        case ScriptedEvent::Action::Resize:
            s.windowWidth = event.x;
            s.windowHeight = event.y;
            break;
        case ScriptedEvent::Action::Move:
            s.cursorX = event.x;
            s.cursorY = event.y;
            forgetTapPoint();
            break;
        case ScriptedEvent::Action::Close:
            if (liveWindow() != 0) {
                enqueueMessage(Message{MessageKind::Close, liveWindow(), 0});
            }
            break;
        case ScriptedEvent::Action::LoseDisplay:
            s.displayLost = true;
            break;
        case ScriptedEvent::Action::Choose:
        case ScriptedEvent::Action::ChooseCancel:
            break;  // handed out by nextChooserAnswer, whatever their time
    }
}

}  // namespace

void setHeadlessInput(ScriptedInput input) {
    HeadlessState& s = state();
    s = HeadlessState{};
    s.inputOrigin = timeGetTime();
    for (ScriptedEvent& event : input.events) {
        if (event.action == ScriptedEvent::Action::Choose) {
            s.chooserAnswers.emplace_back(std::filesystem::path(event.path));
        } else if (event.action == ScriptedEvent::Action::ChooseCancel) {
            s.chooserAnswers.emplace_back(std::nullopt);
        } else {
            s.pending.push_back(std::move(event));
        }
    }
}

std::uint64_t headlessPresentedFrames() {
    return state().presentedFrames;
}
const CapturedFrame& headlessLastFrame() {
    return state().lastFrame;
}
const std::vector<std::string>& headlessMessageLog() {
    return state().messageLog;
}

const std::string& headlessClipboardText() {
    return state().clipboard;
}

std::uint64_t headlessIdlePasses() {
    return state().idlePasses;
}

namespace headless {
namespace {

// No window system and no window: the window is only the shared code's record.
bool initWindowSystem(std::string& /*reason*/) {
    return true;
}
void shutdownWindowSystem() {}
bool createWindow(int clientWidth, int clientHeight, WindowShape shape) {
    HeadlessState& s = state();
    const FramePlacement fit = fitFrame(kHeadlessDesktopWidth, kHeadlessDesktopHeight);
    s.windowWidth = shape.fitDesktop ? fit.width : clientWidth;
    s.windowHeight = shape.fitDesktop ? fit.height : clientHeight;
    s.fullscreen = shape.fullscreen;
    return true;
}

bool setFullscreen(bool on) {
    state().fullscreen = on;
    return true;
}

bool isFullscreen() {
    return state().fullscreen;
}

bool resizeWindow(int clientWidth, int clientHeight, bool fitDesktop) {
    HeadlessState& s = state();
    const FramePlacement fit = fitFrame(kHeadlessDesktopWidth, kHeadlessDesktopHeight);
    s.fullscreen = false;
    s.windowWidth = fitDesktop ? fit.width : clientWidth;
    s.windowHeight = fitDesktop ? fit.height : clientHeight;
    return true;
}

bool setClipboardText(const std::string& utf8) {
    state().clipboard = utf8;
    return true;
}

bool getDrawableSize(int& width, int& height) {
    const HeadlessState& s = state();
    width = s.fullscreen ? kHeadlessDesktopWidth : s.windowWidth;
    height = s.fullscreen ? kHeadlessDesktopHeight : s.windowHeight;
    return true;
}
void destroyWindow() {}
void setWindowTitle(const std::string& /*utf8Title*/) {}

void pumpEvents(std::uint64_t nextIdlePass) {
    HeadlessState& s = state();
    std::uint32_t elapsed = timeGetTime() - s.inputOrigin;
    std::vector<ScriptedEvent> later;
    for (ScriptedEvent& event : s.pending) {
        if (isDue(event, nextIdlePass, elapsed)) {
            apply(event);
        } else {
            later.push_back(std::move(event));
        }
    }
    s.pending = std::move(later);
}

void countIdlePass() {
    ++state().idlePasses;
}

bool getCursorClientPos(int& x, int& y) {
    x = state().cursorX;
    y = state().cursorY;
    return true;
}

// Keeps the frame itself; the bars around it carry nothing.
bool presentFrame(const std::uint32_t* pixels, int width, int height, int pitchBytes, int /*x*/,
                  int /*y*/) {
    HeadlessState& s = state();
    if (s.displayLost) {
        return false;
    }
    CapturedFrame& frame = s.lastFrame;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint8_t*>(pixels) +
                          static_cast<std::ptrdiff_t>(y) * pitchBytes;
        std::memcpy(frame.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), row,
                    static_cast<size_t>(width) * sizeof(std::uint32_t));
    }
    ++s.presentedFrames;
    return true;
}

// Nobody asks for the content again: every frame is kept as it is presented.
bool takeRedrawRequest() {
    return false;
}

void recordMessageBox(const std::string& utf8Caption, const std::string& utf8Text) {
    state().messageLog.push_back(utf8Caption + "\n" + utf8Text);
}

// The answers are the script's `choose` lines, in order, for the file and folder dialogs.
std::optional<std::filesystem::path> nextChooserAnswer(const std::filesystem::path& /*startFolder*/,
                                                       const std::string& /*label*/,
                                                       const std::string& /*pattern*/) {
    HeadlessState& s = state();
    if (s.chooserAnswers.empty()) {
        std::fprintf(stderr,
                     "tsuzuri: the input script gives no answer for the file chooser; "
                     "taking it as cancelled\n");
        return std::nullopt;
    }
    std::optional<std::filesystem::path> answer = s.chooserAnswers.front();
    s.chooserAnswers.pop_front();
    return answer;
}

std::optional<std::filesystem::path> nextFolderAnswer(const std::filesystem::path& startFolder,
                                                      const std::string& title) {
    return nextChooserAnswer(startFolder, title, "");
}

bool hasChooserAnswer() {
    return !state().chooserAnswers.empty();
}

bool hasInputLeft() {
    return !state().pending.empty() || !state().chooserAnswers.empty();
}

void restartInputClock() {
    state().inputOrigin = timeGetTime();
}

}  // namespace
}  // namespace headless

// Sound needs no display, so headless runs have the same output; they decide above this layer
// whether to open it.
constinit const BackendOps headlessBackend{
    .initWindowSystem = headless::initWindowSystem,
    .shutdownWindowSystem = headless::shutdownWindowSystem,
    .createWindow = headless::createWindow,
    .destroyWindow = headless::destroyWindow,
    .setWindowTitle = headless::setWindowTitle,
    .pumpEvents = headless::pumpEvents,
    .countIdlePass = headless::countIdlePass,
    .setFullscreen = headless::setFullscreen,
    .isFullscreen = headless::isFullscreen,
    .resizeWindow = headless::resizeWindow,
    .setClipboardText = headless::setClipboardText,
    .getDrawableSize = headless::getDrawableSize,
    .getCursorClientPos = headless::getCursorClientPos,
    .presentFrame = headless::presentFrame,
    .takeRedrawRequest = headless::takeRedrawRequest,
    .showMessageBox = headless::recordMessageBox,
    .showOpenFileDialog = headless::nextChooserAnswer,
    .showFolderDialog = headless::nextFolderAnswer,
    .isFileDialogAvailable = headless::hasChooserAnswer,
    .canInputStillArrive = headless::hasInputLeft,
    .restartInputClock = headless::restartInputClock,
    .timeGetTime = steadyClockMs,
    .sleepMs = steadySleepMs,
    .openAudioOutput = openSdlAudioOutput,
    .closeAudioOutput = closeSdlAudioOutput,
};

}  // namespace tsuzuri::platform
