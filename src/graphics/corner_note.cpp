#include "graphics/corner_note.h"

#include <algorithm>

#include "graphics/text_layer.h"
#include "platform/frame_geometry.h"

namespace tsuzuri {
namespace {

// The box in the story's 800x600 coordinates: 10 pixels in from the top right corner, one text
// line high, the text on the text grid's column width with a margin either side.
constexpr int kInset = 10;
constexpr int kBoxHeight = 30;
constexpr int kMargin = 8;
constexpr int kTextTop = 2;
constexpr std::uint32_t kBoxColor = 0x80000000u;  // black at half opacity

// Draws `text` in a box 10 pixels in from the top left or top right corner.
void drawBox(const FrameView& frame, const std::string& text, bool atLeft) {
    const int width = kTextColumnWidth * static_cast<int>(text.size()) + 2 * kMargin;
    const int left = atLeft ? kInset : kScreenWidth - kInset - width;
    const int x0 = frameToOutput(left, frame.width, kScreenWidth);
    const int y0 = frameToOutput(kInset, frame.height, kScreenHeight);
    const int x1 = frameToOutput(left + width, frame.width, kScreenWidth);
    const int y1 = frameToOutput(kInset + kBoxHeight, frame.height, kScreenHeight);
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    // A texture of its own rather than one from createTexture, whose edits would count as a
    // change of the frame's inputs and have the frame composed again.
    Texture box;
    box.width = static_cast<std::uint32_t>(x1 - x0);
    box.height = static_cast<std::uint32_t>(y1 - y0);
    box.pitch = static_cast<std::int32_t>(box.width * 4);
    box.pixels.assign(std::size_t{box.width} * box.height, kBoxColor);
    const LockedRect pixels{box.pitch, reinterpret_cast<std::uint8_t*>(box.pixels.data()),
                            static_cast<std::int32_t>(box.width),
                            static_cast<std::int32_t>(box.height)};
    const int penY = frameToOutput(kInset + kTextTop, frame.height, kScreenHeight) - y0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int penX = frameToOutput(left + kMargin + kTextColumnWidth * static_cast<int>(i),
                                       frame.width, kScreenWidth) -
                         x0;
        drawGlyph(pixels, penX, penY, text.data() + i, 1);
    }
    blendTextureAt(frame, box, x0, y0);
}

}  // namespace

void drawCornerTexts(const FrameView& frame, const CornerTexts& texts) {
    if (!texts.note.empty()) {
        drawBox(frame, texts.note, false);
    }
    if (!texts.mark.empty()) {
        drawBox(frame, texts.mark, true);
    }
}

}  // namespace tsuzuri
