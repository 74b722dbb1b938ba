// What one pass's input means to the story. The screen the story runs in hands it over; the
// story never reads keys or the pointer itself, so every rule about input is a plain function
// of this value.
#pragma once

#include <cstdint>

namespace tsuzuri {

// A rectangle in the frame's 800x600 space; all four borders count as inside.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct StoryInput {
    bool advanceReleased = false;  // left button, Enter or the gamepad's A released
    bool toggleReleased = false;   // right button, Space or the gamepad's B released
    bool skipHeld = false;         // Ctrl or the gamepad's right trigger held
    bool skipReadOnly = false;     // the skip passes only pages shown before
    bool clickReleased = false;    // the left button released: a pick at the pointer
    bool upReleased = false;       // Up or the D-pad's up released
    bool downReleased = false;     // Down or the D-pad's down released
    bool pointerKnown = false;     // the pointer, in the frame's 800x600 space
    int pointerX = 0;
    int pointerY = 0;
};

inline bool isAdvanceReleased(const StoryInput& input) {
    return input.advanceReleased;
}
inline bool isToggleReleased(const StoryInput& input) {
    return input.toggleReleased;
}
inline bool isSkipKeyDown(const StoryInput& input) {
    return input.skipHeld;
}
inline bool isClickReleased(const StoryInput& input) {
    return input.clickReleased;
}
inline bool isUpReleased(const StoryInput& input) {
    return input.upReleased;
}
inline bool isDownReleased(const StoryInput& input) {
    return input.downReleased;
}

// The pointer lies in the rectangle, borders included; false for a null rect or an unknown
// pointer. A pointer outside the frame simply has coordinates outside 0..799 x 0..599.
inline bool isCursorInRect(const StoryInput& input, const Rect* rect) {
    return rect != nullptr && input.pointerKnown && rect->left <= input.pointerX &&
           input.pointerX <= rect->right && rect->top <= input.pointerY &&
           input.pointerY <= rect->bottom;
}

}  // namespace tsuzuri
