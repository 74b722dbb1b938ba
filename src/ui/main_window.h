// The player's single window: making it, the actions that belong to the window itself, and the
// system's handling of its messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "script_engine/scene_state.h"
#include "ui/action.h"
#include "ui/preferences.h"

namespace tsuzuri {

// Brings up the window system and opens the window: the fixed 800x600 window, or `scale` times
// that, or as large as fits the desktop, or fullscreen; the last three can be resized. Answers
// the window, or 0 when it could not be made; when the window system cannot start, says why on
// stderr.
platform::WindowHandle createMainWindow(int scale = 0, bool fitDesktop = false,
                                        bool fullscreen = false);

// The window's own actions, taken when no screen took the press: Quit asks to close the window,
// Fullscreen switches fullscreen, Mute, VolumeUp and VolumeDown change the sound, Screenshot
// saves the frame. Held keys repeat only the volume steps.
class WindowActions {
public:
    // The actions act on the window `render` shows its frames in (its window, once the device
    // is up); screenshots are of that frame, named after the game `scene` plays (the current
    // directory's without one). Both outlive the actions.
    // Changes to the sound and fullscreen are kept in `preferences` (null: not kept), which
    // outlives the actions too.
    explicit WindowActions(RenderState& render, const SceneState* scene = nullptr,
                           Preferences* preferences = nullptr)
        : render_(render), scene_(scene), preferences_(preferences) {}

    // How long the note of a volume change stays.
    static constexpr std::uint32_t kNoteMs = 1500;

    // Answers whether the press was the window's; `nowMs` is the clock when it came.
    bool take(const ActionPress& press, std::uint32_t nowMs);
    // What the frame's top right corner shows at clock `nowMs`: the new volume (or "Muted") for
    // a moment after it changed, else nothing.
    std::string note(std::uint32_t nowMs);
    // The window the actions act on; 0 until it is made.
    platform::WindowHandle handle() const { return render_.window; }

private:
    void keep(const std::function<void(Settings&)>& change);

    RenderState& render_;
    const SceneState* scene_;
    Preferences* preferences_;
    std::string note_;
    std::uint32_t noteShownAtMs_ = 0;
};

// Whether the action is one of the window's own that screens over the story let through to it:
// fullscreen, mute, volume and screenshots.
bool isWindowAction(Action action);

// What the system does with a message: a close request destroys the window, and the window's
// destruction ends the main loop.
void mainWindowProc(const platform::Message& message);

// Takes the window system down again (the end of the run and the late failure paths).
void unregisterMainWindowClass();

}  // namespace tsuzuri
