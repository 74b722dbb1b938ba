// The headless backend: no window on screen, input played from a script, frames and message
// boxes kept in memory. Used by tests and by `tsuzuri --headless`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tsuzuri::platform {

// One line of an input script: `WHEN ACTION [ARGS]`.
struct ScriptedEvent {
    enum class When { Pass, Ms };
    // LoseDisplay: from then on the window can show no frame, as when the display goes away.
    // AltEnter: the fullscreen toggle of Alt+Enter. Resize: the window's new client size.
    enum class Action {
        Down,
        Up,
        Tap,
        Move,
        Close,
        Choose,
        ChooseCancel,
        LoseDisplay,
        AltEnter,
        Resize,
        Wheel,
        Touch
    };

    When when = When::Pass;
    std::uint32_t at = 0;  // pass number (from 1) or milliseconds since the loop began
    Action action = Action::Down;
    int key = 0;       // virtual-key code for Down, Up, Tap
    int x = 0, y = 0;  // client pixels for Move; the new size for Resize; notches (up
                       // positive) in x for Wheel; the 800x600 frame's point for Touch
    std::string path;  // the chooser's answer for Choose
};

struct ScriptedInput {
    std::vector<ScriptedEvent> events;
};

// Parses an input script. On a malformed line answers false with `error` set to
// "SOURCE:LINE: what is wrong".
bool parseScriptedInput(std::string_view text, const std::string& sourceName, ScriptedInput& out,
                        std::string& error);
bool loadScriptedInput(const std::filesystem::path& file, ScriptedInput& out, std::string& error);

// The desktop a headless run pretends to have: fullscreen and `--scale fit` size to it.
constexpr int kHeadlessDesktopWidth = 1920;
constexpr int kHeadlessDesktopHeight = 1080;

// Gives the headless backend its input and clears everything it has recorded.
void setHeadlessInput(ScriptedInput input);

struct CapturedFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // A8R8G8B8, row after row
};

// What the headless backend has recorded since the last setHeadlessInput.
std::uint64_t headlessPresentedFrames();
const CapturedFrame& headlessLastFrame();
// Each shown message box as UTF-8 "caption\ntext".
const std::vector<std::string>& headlessMessageLog();
// Idle passes (message peeks that found nothing) since the loop began.
std::uint64_t headlessIdlePasses();
// What was put on the clipboard last.
const std::string& headlessClipboardText();

}  // namespace tsuzuri::platform
