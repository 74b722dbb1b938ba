// The engine's only door to the machine: window, messages, keyboard and mouse state, frame
// presentation, message boxes, the file dialog, the clock. Two backends implement it: SDL2
// (a real window) and headless (no window on screen, input read from a script, frames kept
// in memory). Engine code includes this header, never SDL's.
//
// Text handed to this layer (captions, titles, messages) is Shift-JIS, as everywhere in the
// engine; the layer converts it to UTF-8 for the desktop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace tsuzuri::platform {

// ---------------------------------------------------------------------------------------------
// Backend selection

enum class Backend { Sdl, Headless };

// Chooses the backend; call before anything else of this layer. The default is SDL.
void selectBackend(Backend backend);
Backend currentBackend();

// ---------------------------------------------------------------------------------------------
// Window and messages

// A window handle; 0 names no window. Handles are never reused within a run.
using WindowHandle = std::uint32_t;

enum class MessageKind {
    None,
    Close,    // a request to close the window (close control, or posted by the engine)
    Destroy,  // the window has been destroyed
    KeyDown,  // a key went down; `key` holds its virtual-key code
    Quit,     // ends the main loop
};

struct Message {
    MessageKind kind = MessageKind::None;
    WindowHandle window = 0;
    int key = 0;
};

// Brings up the window system (the "window class"). On failure `reason` says why in words a
// player understands (for example that no display was found).
bool initWindowSystem(std::string& reason);
// Takes the window system down again; any window still open goes with it.
void shutdownWindowSystem();

// Called when the connection to the display breaks for good (its server went away). Nothing
// that touches the window can be done any more, so the run cannot end the usual way: the
// handler ends what runs beside the window (sound, worker threads, a recording), and once it
// returns the process ends with exit code 0. Null: none.
using DisplayLostHandler = void (*)();
void setDisplayLostHandler(DisplayLostHandler handler);

// Opens a visible window with a client area of exactly width x height, centred on the
// screen, fixed in size, without a maximise control. Answers 0 on failure.
WindowHandle createWindow(int clientWidth, int clientHeight);
void setWindowTitle(WindowHandle window, const std::string& sjisTitle);
// Destroys the window; the handle is stale afterwards and posts to it fail.
void destroyWindow(WindowHandle window);
bool isWindowAlive(WindowHandle window);

// Takes the next pending message without waiting. When the queue is empty the backend's
// events are gathered first; answers false when there is still nothing.
bool peekMessage(Message& message);
// Queues a message for a live window; answers false for a stale or null handle.
bool postMessage(WindowHandle window, MessageKind kind);
void postQuitMessage();

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

// Virtual-key codes of the keys the player reads.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_F5 = 0x74;

// Copies the key and button state as the gathered events have left it: bit 0x80 = down.
// `pressedSince` gets 0x80 for each key that went down at least once since the previous call
// (so a press and release between two calls is not lost); the record is then reset.
void getKeyboardState(std::uint8_t state[256], std::uint8_t pressedSince[256]);

// The cursor position now, in client coordinates of the window (may lie outside the client
// area). Answers false when the position cannot be taken.
bool getCursorClientPos(WindowHandle window, int& x, int& y);

// Puts the cursor, as getCursorClientPos answers it, at a fixed place (for unattended runs
// that pick choices); nothing restores the real cursor.
void setCursorOverride(std::optional<std::pair<int, int>> position);

// ---------------------------------------------------------------------------------------------
// Presentation

// Shows a frame of 32-bit pixels (A8R8G8B8: bytes blue, green, red, alpha in memory) in the
// window. Answers false when the window cannot show frames any more.
bool presentFrame(WindowHandle window, const std::uint32_t* pixels, int width, int height,
                  int pitchBytes);

// True once after the desktop has asked for the window's content again (the window was
// exposed, restored or shown), so that an unchanged frame is still presented then.
bool takeRedrawRequest(WindowHandle window);

// ---------------------------------------------------------------------------------------------
// Dialogs

// A modal box with an OK button and no owner. The caption and text are always written to
// stderr as well, since a box can fail to appear without saying so.
void showMessageBox(const std::string& sjisCaption, const std::string& sjisText);
// The same with a file's path as the caption.
void showMessageBoxForFile(const std::filesystem::path& file, const std::string& sjisText);

// The desktop's open-file dialog, starting in `startFolder`, offering files matching
// `pattern` (labelled `label`). Answers the chosen file's full path, or nothing on cancel.
std::optional<std::filesystem::path> showOpenFileDialog(const std::filesystem::path& startFolder,
                                                        const std::string& label,
                                                        const std::string& pattern);

// ---------------------------------------------------------------------------------------------
// Versions

// The version of the SDL library the player runs on (the one linked, not the headers'), as
// "MAJOR.MINOR.PATCH".
std::string sdlVersion();

// ---------------------------------------------------------------------------------------------
// Clock

// Milliseconds on a monotonic clock as a wrapping 32-bit value; compare by unsigned difference.
std::uint32_t timeGetTime();
void sleepMs(std::uint32_t milliseconds);
// Timer resolution requests; the clock and sleeps here are already fine-grained.
void timeBeginPeriod(std::uint32_t milliseconds);
void timeEndPeriod(std::uint32_t milliseconds);

}  // namespace tsuzuri::platform
