#include "platform/input.h"

#include <cstring>

#include "platform/main_window.h"
#include "platform/platform.h"

namespace tsuzuri {

std::uint8_t keyState[256] = {};
std::uint8_t prevKeyState[256] = {};

namespace {

constexpr std::uint8_t kDown = 0x80;

bool isReleased(int key) {
    return (keyState[key] & kDown) == 0 && (prevKeyState[key] & kDown) != 0;
}

}  // namespace

void sampleKeyboard() {
    std::uint8_t pressedSince[256];
    std::memcpy(prevKeyState, keyState, sizeof keyState);
    platform::getKeyboardState(keyState, pressedSince);
    for (int key = 0; key < 256; ++key) {
        if ((pressedSince[key] & kDown) != 0 && (keyState[key] & kDown) == 0) {
            prevKeyState[key] |= kDown;
        }
    }
}

void discardKeyboardPresses() {
    std::uint8_t ignoredState[256];
    std::uint8_t ignoredPresses[256];
    platform::getKeyboardState(ignoredState, ignoredPresses);
}

void resetKeyboardState() {
    std::memset(keyState, 0, sizeof keyState);
    std::memset(prevKeyState, 0, sizeof prevKeyState);
}

void releaseClickNow() {
    prevKeyState[platform::VK_LBUTTON] |= kDown;
    keyState[platform::VK_LBUTTON] &= static_cast<std::uint8_t>(~kDown);
}

bool isAdvanceReleased() {
    return isReleased(platform::VK_LBUTTON) || isReleased(platform::VK_RETURN) ||
           isReleased(platform::VK_PAD_A);
}

bool isToggleReleased() {
    return isReleased(platform::VK_RBUTTON) || isReleased(platform::VK_SPACE) ||
           isReleased(platform::VK_PAD_B);
}

bool isReloadReleased() {
    return isReleased(platform::VK_F5);
}

bool isClickReleased() {
    return isReleased(platform::VK_LBUTTON);
}

bool isEnterReleased() {
    return isReleased(platform::VK_RETURN) || isReleased(platform::VK_PAD_A);
}

bool isUpReleased() {
    return isReleased(platform::VK_UP) || isReleased(platform::VK_PAD_UP);
}

bool isDownReleased() {
    return isReleased(platform::VK_DOWN) || isReleased(platform::VK_PAD_DOWN);
}

bool cursorFramePos(int& x, int& y) {
    return platform::getCursorFramePos(mainWindow, x, y);
}

bool isAutoModeKeyReleased() {
    return isReleased(platform::VK_A) || isReleased(platform::VK_PAD_X);
}

bool isSkipKeyDown() {
    return (keyState[platform::VK_CONTROL] & kDown) != 0 ||
           (keyState[platform::VK_PAD_RT] & kDown) != 0;
}

bool isCursorInRect(const Rect* rect) {
    if (rect == nullptr) {
        return false;
    }
    int x = 0;
    int y = 0;
    if (!platform::getCursorFramePos(mainWindow, x, y)) {
        return false;
    }
    return rect->left <= x && x <= rect->right && rect->top <= y && y <= rect->bottom;
}

}  // namespace tsuzuri
