// Composing the frame in memory: the compositing rules of the player's three layers and two
// effects, over a 32-bit frame of A8R8G8B8 pixels.
#pragma once

#include <cstdint>

#include "graphics/texture.h"

namespace tsuzuri {

// A frame to draw into: width x height pixels, `pitch` pixels per row.
struct FrameView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
};

// Every pixel becomes `color`.
void clearFrame(const FrameView& frame, std::uint32_t color);

// Draws the texture centred: texel (i, j) lands on pixel (X + i, Y + j) with
// X = floor((width - w) / 2), Y = floor((height - h) / 2), clipped to the frame. Each colour
// channel becomes src * a + dst * (1 - a) with a = texel alpha / 255, rounded to nearest.
void blendTextureCentred(const FrameView& frame, const Texture& texture);

// The same with texel (0, 0) on pixel (x, y).
void blendTextureAt(const FrameView& frame, const Texture& texture, int x, int y);

// Inverts the colour channels (255 - value) of rows top..bottom-1 and columns left..right-1,
// clipped to the frame.
void invertBand(const FrameView& frame, int left, int top, int right, int bottom);

// Adds `level` to every colour channel, saturating at 255.
void addFlash(const FrameView& frame, std::uint8_t level);

}  // namespace tsuzuri
