// The render device: composes the 800x600 frame and shows it in the main window.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/status.h"

namespace tsuzuri {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The colour behind every layer (A8R8G8B8): a pale blue.
constexpr std::uint32_t kClearColor = 0xFFC0C0FF;

struct RenderState {
    std::vector<std::uint32_t> frame;  // the composed frame, kScreenWidth x kScreenHeight
    std::int32_t deviceLost = 0;
    std::int32_t flashActive = 0;
    std::uint8_t flashLevel = 0;
    std::filesystem::path scenePath;
};

extern RenderState renderState;

// Brings up the device for the main window; fails without a window.
Status initRenderDevice();
// Releases everything the device holds. Answers 0.
Status shutdownRenderDevice();
// Composes and presents one frame and paces the loop. Answers 1 to go on, 0 when the display
// cannot go on.
std::int32_t renderFrame();
// Loads the message window picture of the game. Answers whether it was loaded.
bool loadWindowPicture();

}  // namespace tsuzuri
