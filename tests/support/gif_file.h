// GIF files written by giflib's own encoder, for testing our GIF reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsuzuri::test {

// One frame: its place on the logical screen, its colour indexes (top row first, in display
// order; the writer stores an interlaced frame's rows in the interlaced order) and, when not
// empty, its local colour table (0xRRGGBB, a power of two entries).
struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> indexes;
    std::vector<std::uint32_t> localColours;
};

// A GIF89a file of one frame on a screen of the given size with the given global colour table
// (0xRRGGBB, a power of two entries) and background index; empty when giflib refuses.
std::string writeGif(int screenWidth, int screenHeight, const std::vector<std::uint32_t>& colours,
                     int background, const GifFrame& frame);

}  // namespace tsuzuri::test
