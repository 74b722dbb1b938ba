// The keymap: which key, button or gamepad button gives which action. One table of data, so
// that bindings can later be read from a settings file; a key may give several actions (the
// left button both advances and picks at the pointer).
#pragma once

#include <span>

#include "ui/action.h"

namespace tsuzuri {

struct KeyBinding {
    int key;  // virtual-key code (platform.h): keys, mouse buttons, gamepad buttons
    Action action;
    bool withShift = false;  // only pressed together with Shift (and never held or released)
};

// The player's bindings.
std::span<const KeyBinding> defaultKeymap();

}  // namespace tsuzuri
