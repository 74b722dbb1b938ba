#include "ui/input_reader.h"

#include <cstring>

namespace tsuzuri {
namespace {

constexpr std::uint8_t kDown = 0x80;

}  // namespace

InputReader::InputReader(std::span<const KeyBinding> keymap) : keymap_(keymap) {}

std::vector<ActionPress> InputReader::pressesOf(const platform::Message& message) const {
    std::vector<ActionPress> presses;
    if (message.kind != platform::MessageKind::KeyDown) {
        return presses;
    }
    for (const KeyBinding& binding : keymap_) {
        if (binding.key == message.key && (!binding.withShift || message.shifted)) {
            presses.push_back(ActionPress{binding.action, message.repeat});
        }
    }
    return presses;
}

ActionInput InputReader::sample(platform::WindowHandle window) {
    std::uint8_t pressedSince[256];
    std::memcpy(prevKeyState_, keyState_, sizeof keyState_);
    platform::getKeyboardState(keyState_, pressedSince);
    for (int key = 0; key < 256; ++key) {
        if ((pressedSince[key] & kDown) != 0 && (keyState_[key] & kDown) == 0) {
            prevKeyState_[key] |= kDown;
        }
    }
    ActionInput input;
    input.sampled = true;
    for (const KeyBinding& binding : keymap_) {
        if (binding.withShift) {
            continue;
        }
        const int key = binding.key & 0xFF;
        const auto action = static_cast<std::size_t>(binding.action);
        if ((keyState_[key] & kDown) == 0 && (prevKeyState_[key] & kDown) != 0) {
            input.released.set(action);
        }
        if ((keyState_[key] & kDown) != 0) {
            input.held.set(action);
        }
    }
    input.pointerKnown = platform::getCursorFramePos(window, input.pointerX, input.pointerY);
    input.wheelNotches = platform::takeWheelNotches();
    return input;
}

void InputReader::discardPresses() {
    std::uint8_t ignoredState[256];
    std::uint8_t ignoredPresses[256];
    platform::getKeyboardState(ignoredState, ignoredPresses);
}

void InputReader::reset() {
    std::memset(keyState_, 0, sizeof keyState_);
    std::memset(prevKeyState_, 0, sizeof prevKeyState_);
}

}  // namespace tsuzuri
