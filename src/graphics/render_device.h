// The render device: composes the frame from the scene picture, the message window picture,
// the text layer, the choice highlight and the flash, and shows it in the window. The frame is
// 800x600 in the story's coordinates; it is composed at the size it is shown at (the largest
// 4:3 size the window's drawable area holds), with text rasterised at that size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/game_path.h"
#include "common/status.h"
#include "graphics/corner_note.h"
#include "graphics/texture.h"
#include "platform/frame_geometry.h"
#include "platform/platform.h"

namespace tsuzuri {

// The colour behind every layer (A8R8G8B8): a pale blue.
constexpr std::uint32_t kClearColor = 0xFFC0C0FF;
// initRenderDevice's failure when no face with Japanese characters can be opened.
constexpr Status E_NO_TEXT_FONT = static_cast<Status>(0x80040F01u);

// What the frame shows of the scene besides its pictures: whether the message window is shown
// and which choice row is highlighted. The interpreter's scene record is one and keeps these
// fields; the caller hands it to the frame.
struct FrameScene {
    std::int32_t windowShown = 1;  // message window, text and highlight are drawn while set
    std::int32_t choiceHover = 0;  // a choice row is under the cursor
    std::int32_t hoverRow = 0;     // that row; -1 while a menu shows and no row is hovered
};

// A page drawn into the text layer since it was last cleared, kept so that the layer can be
// drawn again at another size.
struct DrawnPage {
    std::string text;
    bool skipping = false;
};

struct FrameCache;  // what the device keeps between frames (render_device.cpp)

// The frame's record: the layers, the flash, the composed frame and where it goes. The session
// owns one for its window and hands it to the story, the screens and the recorder. Main thread
// only.
struct RenderState {
    RenderState();
    ~RenderState();
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

    std::int32_t deviceLost = 0;  // a software frame is never lost; kept for the frame's steps
    TextureSlot sceneTexture;     // the picture of the last Image line
    TextureSlot windowTexture;    // the message window picture
    TextureSlot textTexture;      // the text layer, outputWidth x outputHeight
    std::int32_t flashActive = 0;
    std::uint8_t flashLevel = 0;
    GamePath scenePath;                // the scene picture last shown
    std::vector<std::uint32_t> frame;  // the composed frame, outputWidth x outputHeight
    int outputWidth = kScreenWidth;    // the size the frame is composed and shown at
    int outputHeight = kScreenHeight;
    std::uint64_t framesPresented = 0;  // counts the frames shown (unchanged ones are not)
    std::uint32_t presentedAtMs = 0;    // clock reading when the last one was handed over
    const Clock* clock = nullptr;       // the run's, from initRenderDevice
    std::uint32_t startedAtMs = 0;      // its reading when the device came up
    platform::WindowHandle window = 0;  // the window the frames go to, from initRenderDevice
    std::vector<DrawnPage> drawnPages;  // the pages in the text layer, in order
    std::uint64_t pagesDrawn = 0;       // counts every page drawn, cleared or not
    std::unique_ptr<FrameCache> cache;
};

// Brings up the device for `window` with an empty text layer and the text font, its frames
// timed by `clock` (which outlives the device); fails without a window, and with
// E_NO_TEXT_FONT without a usable font.
Status initRenderDevice(RenderState& render, platform::WindowHandle window, const Clock& clock);
// Releases the scene, text and window layers and the frame. Answers 0.
Status shutdownRenderDevice(RenderState& render);
// Composes and presents the frame, with `corners` over it, when anything it shows has changed
// since the last one. Never waits: the main loop paces itself. Answers 1 to go on, 0 when the
// display cannot go on.
std::int32_t renderFrame(RenderState& render, const FrameScene& scene, const CornerTexts& corners);
// Loads a picture and makes it the scene picture; on failure the old one stays.
Status showScenePicture(RenderState& render, const GamePath& path);
// Loads "playwindow.bmp" of the game's "cg" folder as the message window picture.
bool loadWindowPicture(RenderState& render, const std::filesystem::path& gameFolder);
// Starts the flash on the first call and fades it on each further one; answers 0 once it has
// ended (after 27 calls).
std::int32_t stepFlash(RenderState& render);

// Hands render.frame, composed, to the window, stamped with the clock and counted; false when
// the window can show no frame any more.
bool presentComposedFrame(RenderState& render);

// Composes the current frame into render.frame without presenting it.
void composeFrame(RenderState& render, const FrameScene& scene, const CornerTexts& corners = {});

// Makes the frame and the text layer width x height (the text drawn again at that size), as
// renderFrame does when the window's drawable area changes. False when memory runs out; the
// old size then stays.
bool setOutputSize(RenderState& render, int width, int height);

// Sets the output size for the window's drawable area as it is now; answers whether it changed
// (the text layer is then new, holding only what drawTextPage drew into it since it was last
// cleared).
bool fitOutputToWindow(RenderState& render);

}  // namespace tsuzuri
