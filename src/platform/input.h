// Input questions, answered from the key state sampled once per idle pass.
#pragma once

#include <cstdint>

namespace tsuzuri {

// Indexed by virtual-key code; bit 0x80 = down. The mouse buttons are keys 0x01 and 0x02.
extern std::uint8_t keyState[256];
extern std::uint8_t prevKeyState[256];

// A rectangle in the frame's 800x600 space; all four borders count as inside.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Takes a new sample: prevKeyState becomes the old keyState, keyState is read fresh. A key
// pressed and released since the last sample counts as held before and released now, so a
// short click or tap is seen once.
void sampleKeyboard();
// Forgets presses made while input is not being sampled (the start-up guard).
void discardKeyboardPresses();
// Puts both arrays back to all up.
void resetKeyboardState();

// Makes this pass's sample hold a left click released, as the reader's would (for the
// features that turn pages by themselves).
void releaseClickNow();

// Left button, Enter or the gamepad's A released on this pass.
bool isAdvanceReleased();
// Right button, Space or the gamepad's B released on this pass.
bool isToggleReleased();
// F5 (reload the script) released on this pass.
bool isReloadReleased();
// The left button released on this pass (a click).
bool isClickReleased();
// Enter or the gamepad's A released on this pass.
bool isEnterReleased();
// Up or the gamepad's D-pad up, and Down or D-pad down, released on this pass.
bool isUpReleased();
bool isDownReleased();
// The cursor, taken live and mapped into the frame's space; false when it cannot be taken.
bool cursorFramePos(int& x, int& y);
// A or the gamepad's X (auto mode on or off) released on this pass.
bool isAutoModeKeyReleased();
// Ctrl or the gamepad's right trigger held now.
bool isSkipKeyDown();
// The cursor, taken live and mapped into the frame's space, lies in the rectangle (borders
// included); false for a null rect.
bool isCursorInRect(const Rect* rect);

}  // namespace tsuzuri
