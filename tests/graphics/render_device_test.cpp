// The frame as the device composes it from the render and scene state: layer order, what a
// hidden window leaves out, the band of the hovered row, and the flash's 27 steps.
#include "graphics/render_device.h"

#include <gtest/gtest.h>

#include "graphics/text_layer.h"
#include "graphics/texture_loader.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

// The frame the tests draw, shared by the fixture's helpers.
RenderState render;

class RenderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::selectBackend(platform::Backend::Headless);
        platform::setHeadlessInput({});
        const platform::WindowHandle window = createMainWindow();
        ASSERT_NE(window, 0u);
        ASSERT_EQ(initRenderDevice(render, window, platform::systemClock()), S_OK);
    }
    void TearDown() override {
        shutdownRenderDevice(render);
        unregisterMainWindowClass();
        platform::selectBackend(platform::Backend::Sdl);
    }

    FrameScene sceneState;  // what the frame shows of the scene

    static TextureSlot filled(std::uint32_t width, std::uint32_t height, std::uint32_t color) {
        TextureSlot texture = createTexture(width, height);
        std::fill(texture->pixels.begin(), texture->pixels.end(), color);
        return texture;
    }
    static std::uint32_t pixel(int x, int y) {
        return render.frame[static_cast<size_t>(y) * kScreenWidth + x];
    }
};

TEST_F(RenderDeviceTest, FreshDeviceShowsTheClearColourAndAnEmptyTextLayer) {
    ASSERT_TRUE(render.textTexture);
    EXPECT_EQ(render.textTexture->width, 800u);
    EXPECT_EQ(render.textTexture->height, 600u);
    composeFrame(render, sceneState);
    EXPECT_EQ(pixel(0, 0), kClearColor);
    EXPECT_EQ(pixel(400, 500), kClearColor);
}

TEST_F(RenderDeviceTest, LayersStackSceneWindowTextBandThenFlash) {
    render.sceneTexture = filled(800, 600, 0xFF204060);
    render.windowTexture = filled(800, 120, 0x80000000);  // half-transparent black, y 240..359
    *texturePixel(*render.textTexture, 10, 300) = 0xFFFFFFFF;
    composeFrame(render, sceneState);
    EXPECT_EQ(pixel(0, 0), 0xFF204060u);
    EXPECT_EQ(pixel(0, 300), 0xFF102030u);  // 0x20 * 127/255 rounds to 0x10
    EXPECT_EQ(pixel(10, 300), 0xFFFFFFFFu);

    sceneState.choiceHover = 1;
    sceneState.hoverRow = 2;
    composeFrame(render, sceneState);
    EXPECT_EQ(pixel(5, 537), 0xFF204060u);
    EXPECT_EQ(pixel(5, 538), 0xFFDFBF9Fu);
    EXPECT_EQ(pixel(5, 567), 0xFFDFBF9Fu);
    EXPECT_EQ(pixel(5, 568), 0xFF204060u);

    render.flashActive = 1;
    render.flashLevel = 0x30;
    composeFrame(render, sceneState);
    EXPECT_EQ(pixel(0, 0), 0xFF507090u);
}

TEST_F(RenderDeviceTest, HiddenWindowLeavesOutWindowTextAndBand) {
    render.sceneTexture = filled(800, 600, 0xFF204060);
    render.windowTexture = filled(800, 600, 0xFF000000);
    *texturePixel(*render.textTexture, 10, 300) = 0xFFFFFFFF;
    sceneState.windowShown = 0;
    sceneState.choiceHover = 1;
    sceneState.hoverRow = 0;
    render.flashActive = 1;
    render.flashLevel = 5;
    composeFrame(render, sceneState);
    // Scene plus flash only: 0x20, 0x40, 0x60 each raised by 5.
    EXPECT_EQ(pixel(10, 300), 0xFF254565u);
    EXPECT_EQ(pixel(0, 480), 0xFF254565u);
}

TEST_F(RenderDeviceTest, FlashRunsTwentySevenStepsFromFullWhite) {
    std::vector<int> levels;
    int calls = 0;
    while (true) {
        ++calls;
        if (stepFlash(render) == 0) {
            break;
        }
        levels.push_back(render.flashLevel);
        ASSERT_LT(calls, 100);
    }
    EXPECT_EQ(calls, 27);
    ASSERT_EQ(levels.size(), 26u);
    EXPECT_EQ(levels.front(), 255);
    EXPECT_EQ(levels[1], 245);
    EXPECT_EQ(levels.back(), 5);
    EXPECT_EQ(render.flashActive, 0);
    EXPECT_EQ(render.flashLevel, 0);

    stepFlash(render);
    composeFrame(render, sceneState);
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFFFu) << "the first flash frame is all white";
}

TEST_F(RenderDeviceTest, ClearTextLayerMakesEveryPixelTransparent) {
    std::fill(render.textTexture->pixels.begin(), render.textTexture->pixels.end(), 0xFFFFFFFFu);
    EXPECT_EQ(clearTextLayer(render), S_OK);
    for (std::uint32_t value : render.textTexture->pixels) {
        ASSERT_EQ(value, 0u);
    }
}

TEST_F(RenderDeviceTest, RenderFramePresentsTheComposedFrame) {
    render.sceneTexture = filled(2, 2, 0xFF123456);
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    const platform::CapturedFrame& frame = platform::headlessLastFrame();
    ASSERT_EQ(frame.width, 800);
    EXPECT_EQ(frame.pixels[static_cast<size_t>(299) * 800 + 399], 0xFF123456u);
    EXPECT_EQ(frame.pixels[0], kClearColor);
}

TEST_F(RenderDeviceTest, UnchangedFramesAreNotComposedOrPresentedAgain) {
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 1u);

    clearTextLayer(render);  // the text layer was written
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 2u);

    sceneState.windowShown = 0;
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 3u);

    stepFlash(render);
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    stepFlash(render);
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 5u) << "every flash level is shown";

    render.sceneTexture = filled(4, 4, 0xFF000000);
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 6u);
    EXPECT_EQ(platform::headlessLastFrame().pixels[static_cast<size_t>(300) * 800 + 400],
              0xFFF5F5F5u)
        << "black scene plus the flash at 245";
}

TEST_F(RenderDeviceTest, ACornerTextShowsOverTheFrameAndGoesWithItsOwner) {
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    const std::vector<std::uint32_t> plain = platform::headlessLastFrame().pixels;
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{"Muted", "Auto"}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 2u);
    const std::vector<std::uint32_t>& noted = platform::headlessLastFrame().pixels;
    EXPECT_NE(noted[static_cast<size_t>(15) * 800 + 785],
              plain[static_cast<size_t>(15) * 800 + 785])
        << "the note's box at the top right";
    EXPECT_NE(noted[static_cast<size_t>(15) * 800 + 15], plain[static_cast<size_t>(15) * 800 + 15])
        << "the mark's box at the top left";
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{"Muted", "Auto"}), 1);
    EXPECT_EQ(platform::headlessPresentedFrames(), 2u) << "the same texts: nothing new to show";
    EXPECT_EQ(renderFrame(render, sceneState, CornerTexts{}), 1);
    EXPECT_EQ(platform::headlessLastFrame().pixels, plain);
}

TEST(MaskPathTest, InsertsBeforeTheLastDotOfTheWholePath) {
    auto mask = maskPathFor(GamePath{"/game", "cg\\bg01.bmp"});
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->name, "cg\\bg01-m.bmp");
    EXPECT_EQ(maskPathFor(GamePath{"/game", "cg\\face.01.png"})->name, "cg\\face.01-m.png");
    // No dot in the name: the folder's last dot is used.
    auto folderDot = maskPathFor(GamePath{"/games/story.v2", "cg\\bg"});
    ASSERT_TRUE(folderDot);
    EXPECT_EQ(folderDot->folder, "/games/story-m.v2");
    EXPECT_EQ(folderDot->name, "cg\\bg");
    EXPECT_FALSE(maskPathFor(GamePath{"/games/story", "cg\\bg"}));
}

}  // namespace
}  // namespace tsuzuri
