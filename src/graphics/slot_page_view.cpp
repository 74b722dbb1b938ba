#include "graphics/slot_page_view.h"

#include "graphics/compositor.h"
#include "graphics/resample.h"
#include "graphics/text_layer.h"
#include "graphics/view_frame.h"
#include "platform/frame_geometry.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

constexpr int kInset = 8;
constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 120;
constexpr int kLineHeight = 30;

int cellLeft(int slot) {
    return (slot % kSlotColumns) * kSlotWidth;
}
int cellTop(int slot) {
    return kSlotFirstTop + (slot / kSlotColumns) * kSlotHeight;
}

bool drawText(RenderState& render, const SlotPageView& view) {
    if (failed(clearTextLayer(render)) || !render.textTexture) {
        return false;
    }
    Texture* layer = render.textTexture.get();
    LockedRect lock;
    if (failed(lockTexture(layer, lock))) {
        return false;
    }
    drawTextLine(lock, view.title, 20, kSlotTitleTop, 780);
    for (std::size_t slot = 0; slot < view.slots.size(); ++slot) {
        const int cell = static_cast<int>(slot);
        const int right = cellLeft(cell) + kSlotWidth - kInset;
        for (std::size_t line = 0; line < 3; ++line) {
            drawTextLine(lock, view.slots[slot].lines[line],
                         cellLeft(cell) + kInset + kThumbnailWidth + kInset,
                         cellTop(cell) + kInset + static_cast<int>(line) * kLineHeight, right);
        }
        drawTextLine(lock, view.slots[slot].lines[3], cellLeft(cell) + kInset,
                     cellTop(cell) + kInset + kThumbnailHeight + 4, right);
    }
    unlockTexture(layer);
    return true;
}

void compose(RenderState& render, const SlotPageView& view) {
    const FrameView frame{render.frame.data(), render.outputWidth, render.outputHeight,
                          render.outputWidth};
    clearFrame(frame, kClearColor);
    for (std::size_t slot = 0; slot < view.slots.size(); ++slot) {
        const Texture* thumbnail = view.slots[slot].thumbnail;
        if (thumbnail == nullptr) {
            continue;
        }
        const int x0 = cellLeft(static_cast<int>(slot)) + kInset;
        const int y0 = cellTop(static_cast<int>(slot)) + kInset;
        const int outX0 = frameToOutput(x0, frame.width, kScreenWidth);
        const int outY0 = frameToOutput(y0, frame.height, kScreenHeight);
        const int outX1 = frameToOutput(x0 + kThumbnailWidth, frame.width, kScreenWidth);
        const int outY1 = frameToOutput(y0 + kThumbnailHeight, frame.height, kScreenHeight);
        const TextureSlot scaled = scalePicture(
            *thumbnail, PictureRegion{0, 0, thumbnail->width, thumbnail->height},
            static_cast<std::uint32_t>(outX1 - outX0), static_cast<std::uint32_t>(outY1 - outY0));
        if (scaled) {
            blendTextureAt(frame, *scaled, outX0, outY0);
        }
    }
    blendTextureCentred(frame, *render.textTexture);
    if (view.highlighted >= 0 && view.highlighted < static_cast<int>(view.slots.size())) {
        const int left = cellLeft(view.highlighted);
        const int top = cellTop(view.highlighted);
        invertBand(frame, frameToOutput(left, frame.width, kScreenWidth),
                   frameToOutput(top, frame.height, kScreenHeight),
                   frameToOutput(left + kSlotWidth, frame.width, kScreenWidth),
                   frameToOutput(top + kSlotHeight, frame.height, kScreenHeight));
    }
}

}  // namespace

int slotAt(int x, int y) {
    if (x < 0 || x >= kSlotColumns * kSlotWidth || y < kSlotFirstTop) {
        return -1;
    }
    const int row = (y - kSlotFirstTop) / kSlotHeight;
    const int slot = row * kSlotColumns + x / kSlotWidth;
    return row < kSlotsPerPage / kSlotColumns ? slot : -1;
}

bool renderSlotPage(RenderState& render, const SlotPageView& view,
                    std::optional<SlotPageView>& shown) {
    return showView(render, view, shown, [&render](const SlotPageView& page) {
        if (!drawText(render, page)) {
            return false;
        }
        compose(render, page);
        return true;
    });
}

}  // namespace tsuzuri
