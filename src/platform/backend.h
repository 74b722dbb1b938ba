// The backend contract: the table of functions every backend fills, and the pieces of shared
// state the backends feed. The public door (platform.h, audio.h) calls through the selected
// table and never asks which backend it has. Internal to src/platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "platform/audio.h"
#include "platform/platform.h"

union SDL_Event;  // SDL's event, for the backend's own files that include SDL

namespace tsuzuri::platform {

// One entry of a backend table: a function that must be given. An entry left out of a table's
// initialiser, or given as null, does not compile.
template <typename Signature>
class BackendEntry;

template <typename Result, typename... Args>
class BackendEntry<Result(Args...)> {
public:
    constexpr BackendEntry(Result (*function)(Args...)) : function_(function) {}
    BackendEntry(std::nullptr_t) = delete;

    Result operator()(Args... args) const { return function_(std::forward<Args>(args)...); }

private:
    Result (*function_)(Args...);
};

// What a backend provides. Text arrives as UTF-8; window calls refer to the one window of the
// run, and the shared code has already checked that it is alive where that matters.
struct BackendOps {
    // Brings up the window system; on failure `reason` says why, in the player's words.
    BackendEntry<bool(std::string& reason)> initWindowSystem;
    // Takes the window system down; the window is already destroyed.
    BackendEntry<void()> shutdownWindowSystem;
    // Opens the window with a client area of width x height, shaped as asked.
    BackendEntry<bool(int clientWidth, int clientHeight, WindowShape shape)> createWindow;
    // Closes the window; harmless when none is open.
    BackendEntry<void()> destroyWindow;
    // Sets the window's title.
    BackendEntry<void(const std::string& utf8Title)> setWindowTitle;
    // Turns pending input into key state and queued messages; `nextIdlePass` counts from 1.
    BackendEntry<void(std::uint64_t nextIdlePass)> pumpEvents;
    // Notes that a message peek found nothing even after pumping.
    BackendEntry<void()> countIdlePass;
    // Desktop fullscreen on or off; whether it is on.
    BackendEntry<bool(bool on)> setFullscreen;
    BackendEntry<bool()> isFullscreen;
    // Out of fullscreen, a resizable window with a client area of width x height, or as large
    // as fits the desktop, centred.
    BackendEntry<bool(int clientWidth, int clientHeight, bool fitDesktop)> resizeWindow;
    // Puts UTF-8 text on the desktop's clipboard.
    BackendEntry<bool(const std::string& utf8)> setClipboardText;
    // The drawable area in pixels.
    BackendEntry<bool(int& width, int& height)> getDrawableSize;
    // The cursor in client pixels (as the drawable counts them); false when it cannot be taken.
    BackendEntry<bool(int& x, int& y)> getCursorClientPos;
    // Shows an A8R8G8B8 frame with its top left corner at (x, y) of the drawable, black
    // around it; false when the window can show no frame any more.
    BackendEntry<bool(const std::uint32_t* pixels, int width, int height, int pitchBytes, int x,
                      int y)>
        presentFrame;
    // True once after the desktop asked for the window's content again.
    BackendEntry<bool()> takeRedrawRequest;
    // Shows a message box (it has been written to stderr already).
    BackendEntry<void(const std::string& utf8Caption, const std::string& utf8Text)> showMessageBox;
    // Asks for a file to open; nothing on cancel.
    BackendEntry<std::optional<std::filesystem::path>(const std::filesystem::path& startFolder,
                                                      const std::string& label,
                                                      const std::string& pattern)>
        showOpenFileDialog;
    // Asks for a folder; nothing on cancel.
    BackendEntry<std::optional<std::filesystem::path>(const std::filesystem::path& startFolder,
                                                      const std::string& utf8Title)>
        showFolderDialog;
    // Whether the dialogs can be shown.
    BackendEntry<bool()> isFileDialogAvailable;
    // Whether any input may still come: a reader at a window always may; a script may have
    // played its last line.
    BackendEntry<bool()> canInputStillArrive;
    // Pass counting and scripted time start afresh.
    BackendEntry<void()> restartInputClock;
    // Milliseconds on a monotonic clock, wrapping at 32 bits.
    BackendEntry<std::uint32_t()> timeGetTime;
    // Sleeps for at least the given milliseconds.
    BackendEntry<void(std::uint32_t milliseconds)> sleepMs;
    // Opens the sound output and starts calling `fill`; on failure `reason` says why.
    BackendEntry<bool(AudioFill fill, std::string& reason)> openAudioOutput;
    // Stops calling `fill` and closes the sound output; harmless when none is open.
    BackendEntry<void()> closeAudioOutput;
};

extern const BackendOps sdlBackend;
extern const BackendOps headlessBackend;

// The table chosen by selectBackend (SDL's until then). Safe to call from any thread.
const BackendOps& selectedBackend();

// ---------------------------------------------------------------------------------------------
// Shared state the backends feed

// Key and button state built from a backend's events, with a record of presses since the
// state was last read so that short clicks are not lost.
struct InputTracker {
    std::uint8_t down[256] = {};
    std::uint8_t pressedSince[256] = {};
    int wheelNotches = 0;  // since last taken; up is positive

    void press(int key) {
        down[key & 0xFF] = 0x80;
        pressedSince[key & 0xFF] = 0x80;
    }
    void release(int key) { down[key & 0xFF] = 0; }
};

InputTracker& inputTracker();
// A tap of a finger at (x, y) of the frame's 800x600 space: the pointer is taken to be there
// (until the mouse moves) and the left button is pressed and released. A tap with two fingers
// is the right button's click instead.
void tapAt(int x, int y);
void tapWithTwoFingers();
// The mouse moved: the pointer is the mouse's again.
void forgetTapPoint();
// Client pixel -> frame coordinates through where the last frame was presented.
void clientToFrame(int clientX, int clientY, int& x, int& y);
// Appends a message to the shared queue (no liveness check).
void enqueueMessage(const Message& message);
// The one window of the run, or 0.
WindowHandle liveWindow();

// ---------------------------------------------------------------------------------------------
// Implementations more than one table points at, or that live in files of their own

// The steady clock and sleeping of clock.cpp.
std::uint32_t steadyClockMs();
void steadySleepMs(std::uint32_t milliseconds);

// The sound output over SDL's audio device (sdl_audio.cpp); it needs no display.
bool openSdlAudioOutput(AudioFill fill, std::string& reason);
void closeSdlAudioOutput();

// Runs zenity or kdialog; answers nothing on cancel or when neither is installed.
std::optional<std::filesystem::path> runDesktopFileDialog(const std::filesystem::path& startFolder,
                                                          const std::string& label,
                                                          const std::string& pattern);
std::optional<std::filesystem::path> runDesktopFolderDialog(
    const std::filesystem::path& startFolder, const std::string& utf8Title);
// Whether zenity or kdialog is installed.
bool hasDesktopDialog();

// Gamepads over SDL (sdl_gamepad.cpp): started with the window system and stopped with it;
// the SDL backend hands each event to handleGamepadEvent, which answers whether it took it.
void startGamepads();
void stopGamepads();
bool handleGamepadEvent(const SDL_Event& event);

// Makes a lost display connection end the run through the display-lost handler; called once
// SDL's video is up.
void watchForDisplayLoss();

}  // namespace tsuzuri::platform
