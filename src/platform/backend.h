// What each backend provides to the shared platform code. Internal to src/platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tsuzuri::platform {

// Key and button state built from a backend's events, with a record of presses since the
// state was last read so that short clicks are not lost.
struct InputTracker {
    std::uint8_t down[256] = {};
    std::uint8_t pressedSince[256] = {};

    void press(int key) {
        down[key & 0xFF] = 0x80;
        pressedSince[key & 0xFF] = 0x80;
    }
    void release(int key) { down[key & 0xFF] = 0; }
};

InputTracker& inputTracker();
// Appends a message to the shared queue (no liveness check).
void enqueueMessage(const Message& message);
// The one window of the run, or 0.
WindowHandle liveWindow();

namespace sdl {
// Makes a lost display connection end the run through the display-lost handler.
void watchForDisplayLoss();
bool initWindowSystem(std::string& reason);
void shutdownWindowSystem();
bool createWindow(int clientWidth, int clientHeight);
void setWindowTitle(const std::string& utf8Title);
void destroyWindow();
void pumpEvents();
bool getCursorClientPos(int& x, int& y);
bool presentFrame(const std::uint32_t* pixels, int width, int height, int pitchBytes);
bool takeRedrawRequest();
void showMessageBox(const std::string& utf8Caption, const std::string& utf8Text);
}  // namespace sdl

namespace headless {
void pumpEvents(std::uint64_t nextIdlePass);
bool getCursorClientPos(int& x, int& y);
bool presentFrame(const std::uint32_t* pixels, int width, int height, int pitchBytes);
void recordMessageBox(const std::string& utf8Caption, const std::string& utf8Text);
std::optional<std::filesystem::path> nextChooserAnswer(bool& answered);
void countIdlePass();
}  // namespace headless

// Runs zenity or kdialog; answers nothing on cancel or when neither is installed.
std::optional<std::filesystem::path> runDesktopFileDialog(const std::filesystem::path& startFolder,
                                                          const std::string& label,
                                                          const std::string& pattern);

}  // namespace tsuzuri::platform
