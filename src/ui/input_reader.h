// The one place where input becomes actions: key and button state sampled once per idle pass
// (gamepads, taps and scripted input arrive as keys and clicks), key-down messages, the pointer
// and the wheel, read through the keymap.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/platform.h"
#include "ui/action.h"
#include "ui/keymap.h"

namespace tsuzuri {

class InputReader {
public:
    explicit InputReader(std::span<const KeyBinding> keymap = defaultKeymap());

    // The actions of a key-down message (none for other messages), in keymap order.
    std::vector<ActionPress> pressesOf(const platform::Message& message) const;

    // Takes this idle pass's sample and answers what it means: prevKeyState becomes the old
    // keyState, keyState is read fresh. A key pressed and released since the last sample counts
    // as held before and released now, so a short click or tap is seen once. The pointer is
    // read in the window's frame space, and the wheel's notches are taken.
    ActionInput sample(platform::WindowHandle window);
    // Forgets presses made while input is not being sampled (the start-up guard).
    static void discardPresses();
    // Both samples back to all up (a new run).
    void reset();

    // The sampled state itself, indexed by virtual-key code; bit 0x80 = down.
    const std::uint8_t* keyState() const { return keyState_; }
    const std::uint8_t* prevKeyState() const { return prevKeyState_; }

private:
    std::span<const KeyBinding> keymap_;
    std::uint8_t keyState_[256] = {};
    std::uint8_t prevKeyState_[256] = {};
};

}  // namespace tsuzuri
