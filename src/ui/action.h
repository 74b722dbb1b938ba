// The reader's actions: what the keys, buttons, wheel, gamepad, taps and scripted input mean,
// whichever of them gave it. The keymap (keymap.h) binds keys to actions; screens act on
// actions only, never on keys.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "script_engine/story_input.h"

namespace tsuzuri {

enum class Action : std::uint8_t {
    Advance,       // turn the page, pick the highlighted row
    Click,         // the left button: pick the row under the pointer
    Toggle,        // hide or show the message window
    Skip,          // skip through pages while held
    OlderPage,     // look back at the page before (opens the backlog)
    NewerPage,     // the page after, in the backlog
    Backlog,       // open the backlog, or leave it
    BacklogOlder,  // the page before, only while the backlog is open
    BacklogNewer,  // the page after, only while the backlog is open
    MenuUp,        // move a menu's highlight
    MenuDown,
    MenuLeft,  // on the settings screen: the highlighted setting's value down or up
    MenuRight,
    AutoMode,    // auto mode on or off
    Fullscreen,  // fullscreen on or off
    Mute,        // mute or unmute
    VolumeUp,
    VolumeDown,
    Screenshot,  // save the frame as a picture
    Reload,      // read the script again from disk
    QuickSave,   // save the story's place into the quick slot at once
    QuickLoad,   // go back to the quick slot's place at once
    Rewind,      // in the backlog: take the story back to the page shown
    OpenSave,    // open the save screen
    OpenLoad,    // open the load screen
    DeleteSlot,  // on the save and load screens: delete the highlighted save
    SystemMenu,  // the gamepad's menu of saving, loading, fullscreen and quitting
    Settings,    // open the settings screen
    CopyText,    // put the page's text on the clipboard
    Quit,        // leave the screen on top; from the story, close the window
    QuitHold,    // quit once held for a second (a gamepad has no Escape)
};
inline constexpr std::size_t kActionCount = static_cast<std::size_t>(Action::QuitHold) + 1;

// A key going down (or repeating while held) as an action; screens that act on presses take it
// at once, as the key's message arrives.
struct ActionPress {
    Action action = Action::Advance;
    bool repeat = false;
};

// What the input of one idle pass means: the actions whose key or button went up since the
// pass before (each release seen on exactly one pass), those held now, the pointer and the
// wheel.
struct ActionInput {
    bool sampled = false;  // false on passes before input is read (the start-up guard)
    std::bitset<kActionCount> released;
    std::bitset<kActionCount> held;
    bool pointerKnown = false;  // the pointer, in the frame's 800x600 space
    int pointerX = 0;
    int pointerY = 0;
    int wheelNotches = 0;  // turned since the pass before; up (away from the reader) positive

    bool wasReleased(Action action) const { return released[static_cast<std::size_t>(action)]; }
    bool isHeld(Action action) const { return held[static_cast<std::size_t>(action)]; }
};

// Makes this pass's input hold a left click released, as the reader's would (for the features
// that turn pages by themselves).
void addClick(ActionInput& input);

// What the pass's input means to the story.
StoryInput storyInputOf(const ActionInput& input);

}  // namespace tsuzuri
