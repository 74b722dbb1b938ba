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
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "common/clock.h"

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
    bool repeat = false;   // KeyDown: the key is held and this is its repeat
    bool shifted = false;  // KeyDown: a Shift key is held with it
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
using DisplayLostHandler = std::function<void()>;
void setDisplayLostHandler(DisplayLostHandler handler);

// How the window opens. A plain window is fixed in size, without a maximise control.
struct WindowShape {
    bool resizable = false;   // may be resized and maximised by the reader
    bool fullscreen = false;  // covers the desktop (no change of video mode)
    bool fitDesktop = false;  // the client size becomes the largest 4:3 one that fits the
                              // desktop's usable area, window borders included
};

// Opens a visible window with a client area of width x height (or as `shape.fitDesktop` makes
// it), centred on the screen. Answers 0 on failure.
WindowHandle createWindow(int clientWidth, int clientHeight, WindowShape shape = {});
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

// Turns desktop fullscreen on or off, and tells whether it is on. A window that was fixed in
// size keeps its size when it comes back.
bool setFullscreen(WindowHandle window, bool on);
bool isFullscreen(WindowHandle window);
// Leaves fullscreen and gives the window a client area of width x height (or the largest 4:3
// one that fits the desktop); the window can then be resized and maximised.
bool resizeWindow(WindowHandle window, int clientWidth, int clientHeight, bool fitDesktop);

// Puts UTF-8 text on the desktop's clipboard (a headless run keeps it, see headless.h).
bool setClipboardText(const std::string& utf8);

// The window's drawable size in pixels (on high-DPI desktops larger than its size in screen
// coordinates). Answers false without a live window.
bool getDrawableSize(WindowHandle window, int& width, int& height);

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

// Virtual-key codes of the keys the player reads.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;  // Page Up
constexpr int VK_NEXT = 0x22;   // Page Down
constexpr int VK_DELETE = 0x2E;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_A = 0x41;
constexpr int VK_C = 0x43;
constexpr int VK_L = 0x4C;
constexpr int VK_M = 0x4D;
constexpr int VK_O = 0x4F;
constexpr int VK_R = 0x52;
constexpr int VK_S = 0x53;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F9 = 0x78;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_OEM_PLUS = 0xBB;   // + (also = and the keypad's +)
constexpr int VK_OEM_MINUS = 0xBD;  // - (also the keypad's -)
// A gamepad's buttons, as keys of their own (the controller in control: the first one to
// press a button). The right trigger counts as a button, down when pulled past half way.
constexpr int VK_PAD_A = 0xC3;
constexpr int VK_PAD_B = 0xC4;
constexpr int VK_PAD_X = 0xC5;
constexpr int VK_PAD_Y = 0xC6;
constexpr int VK_PAD_RB = 0xC7;
constexpr int VK_PAD_LB = 0xC8;
constexpr int VK_PAD_RT = 0xCA;
constexpr int VK_PAD_UP = 0xCB;
constexpr int VK_PAD_DOWN = 0xCC;
constexpr int VK_PAD_LEFT = 0xCD;
constexpr int VK_PAD_RIGHT = 0xCE;
constexpr int VK_PAD_START = 0xCF;
constexpr int VK_PAD_BACK = 0xD0;

// Every key going down (repeats of a held key included) is also queued as a KeyDown message
// with its virtual-key code, for the window's own keys (Escape, F11, ...). Alt+Enter comes
// as F11 alone: its Enter never reaches the key state.

// Copies the key and button state as the gathered events have left it: bit 0x80 = down.
// `pressedSince` gets 0x80 for each key that went down at least once since the previous call
// (so a press and release between two calls is not lost); the record is then reset.
void getKeyboardState(std::uint8_t state[256], std::uint8_t pressedSince[256]);

// The mouse wheel's notches since the previous call: positive away from the reader (up),
// negative towards them (down).
int takeWheelNotches();

// The cursor position now, in client pixels of the window (may lie outside the client area).
// Answers false when the position cannot be taken.
bool getCursorClientPos(WindowHandle window, int& x, int& y);

// The cursor in the frame's own 800x600 space: the client position mapped back through the
// place the last frame was presented at (see frame_geometry.h). On the bars around the frame
// it lies outside 0..799 x 0..599.
bool getCursorFramePos(WindowHandle window, int& x, int& y);

// Puts the cursor, as getCursorFramePos answers it, at a fixed place (for unattended runs
// that pick choices); nothing restores the real cursor.
void setCursorOverride(std::optional<std::pair<int, int>> position);

// ---------------------------------------------------------------------------------------------
// Presentation

// Shows a frame of 32-bit pixels (A8R8G8B8: bytes blue, green, red, alpha in memory) in the
// window, centred in its drawable area with black around it. Answers false when the window
// cannot show frames any more.
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

// The desktop's folder dialog with a UTF-8 title, starting in `startFolder`. Answers the chosen
// folder, or nothing on cancel.
std::optional<std::filesystem::path> showFolderDialog(const std::filesystem::path& startFolder,
                                                      const std::string& utf8Title);

// Whether the two dialogs above can be shown (a desktop dialog program is installed; headless:
// the input file has a `choose` answer left). Without, the player offers its own chooser.
bool isFileDialogAvailable();

// Whether any input may still come: always at a window; headless, while the input script has
// lines left to play.
bool canInputStillArrive();

// ---------------------------------------------------------------------------------------------
// Versions

// The version of the SDL library the player runs on (the one linked, not the headers'), as
// "MAJOR.MINOR.PATCH".
std::string sdlVersion();

// ---------------------------------------------------------------------------------------------
// Clock

// Starts counting passes and scripted input time afresh: the main loop calls it as it begins,
// after anything that ran a loop of its own before it (the in-window chooser).
void restartInputClock();

// Milliseconds on a monotonic clock as a wrapping 32-bit value; compare by unsigned difference.
std::uint32_t timeGetTime();
void sleepMs(std::uint32_t milliseconds);
// The same clock and sleep as a Clock, for a run to hand down.
Clock& systemClock();
// Timer resolution requests; the clock and sleeps here are already fine-grained.
void timeBeginPeriod(std::uint32_t milliseconds);
void timeEndPeriod(std::uint32_t milliseconds);

}  // namespace tsuzuri::platform
