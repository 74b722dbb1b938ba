#include "graphics/view_frame.h"

#include "common/shift_jis.h"
#include "graphics/text_layer.h"
#include "platform/frame_geometry.h"

namespace tsuzuri {

namespace {
constexpr int kColumnWidth = 13;  // half a full-width character, as on a page
}  // namespace

void drawTextLine(const LockedRect& lock, std::string_view text, int left, int top, int right) {
    int x = left;
    std::size_t i = 0;
    while (i < text.size()) {
        const int bytes = isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (x + bytes * kColumnWidth > right) {
            break;
        }
        drawGlyph(lock, frameToOutput(x, lock.width, kScreenWidth),
                  frameToOutput(top, lock.height, kScreenHeight), text.data() + i, text.size() - i);
        x += bytes * kColumnWidth;
        i += static_cast<std::size_t>(bytes);
    }
}

}  // namespace tsuzuri
