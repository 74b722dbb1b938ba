// Where the player's 800x600 frame lands in a window of any size, and how coordinates map
// between the two. The frame keeps its 4:3 shape: it is made as large as the drawable area
// allows and centred, with black bars on the sides that are left over.
#pragma once

namespace tsuzuri {

// The frame's own size: the story's coordinates (pictures, text grid, choice rows, the
// pointer as the story sees it) are always in this space.
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// The frame's place in a drawable area, in that area's pixels.
struct FramePlacement {
    int x = 0;
    int y = 0;
    int width = kScreenWidth;
    int height = kScreenHeight;

    bool operator==(const FramePlacement&) const = default;
};

// The largest 4:3 rectangle that fits drawableWidth x drawableHeight (sides rounded to the
// nearest pixel), centred. An area smaller than 4x3 pixels gets a 4x3 frame.
FramePlacement fitFrame(int drawableWidth, int drawableHeight);

// Frame coordinate -> output pixel along one axis: floor(coordinate * outputSize / frameSize).
// A frame pixel c covers output pixels frameToOutput(c) .. frameToOutput(c + 1) - 1.
int frameToOutput(int coordinate, int outputSize, int frameSize);

// Output pixel -> the frame coordinate whose span (as frameToOutput draws it) holds it. Exact
// inverse of frameToOutput's spans, negative left of the frame and >= frameSize right of it.
int outputToFrame(int pixel, int outputSize, int frameSize);

}  // namespace tsuzuri
