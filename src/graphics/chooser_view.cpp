#include "graphics/chooser_view.h"

#include <optional>
#include <string_view>

#include "common/shift_jis.h"
#include "graphics/compositor.h"
#include "graphics/render_device.h"
#include "graphics/text_layer.h"
#include "graphics/view_frame.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

constexpr int kTextLeft = 20;
constexpr int kTextRight = 780;
constexpr int kColumnWidth = 13;  // half a full-width character, as on a page
// ▲ and ▼, marking rows scrolled off above and below.
constexpr char kMoreAboveMark[] = "\x81\xA3";
constexpr char kMoreBelowMark[] = "\x81\xA5";

// One line of the chooser, cut where the next character would pass kTextRight.
void drawLine(const LockedRect& lock, std::string_view text, int left, int top) {
    drawTextLine(lock, text, left, top, kTextRight);
}

int rowTop(int row) {
    return kChooserFirstRowTop + kChooserRowHeight * row;
}

bool drawText(RenderState& render, const ChooserView& view) {
    if (failed(clearTextLayer(render)) || !render.textTexture) {
        return false;
    }
    Texture* layer = render.textTexture.get();
    LockedRect lock;
    if (failed(lockTexture(layer, lock))) {
        return false;
    }
    drawLine(lock, view.title, kTextLeft, kChooserTitleTop);
    for (std::size_t row = 0; row < view.rows.size(); ++row) {
        drawLine(lock, view.rows[row], kTextLeft + 2 * kColumnWidth, rowTop(static_cast<int>(row)));
    }
    if (view.moreAbove) {
        drawLine(lock, kMoreAboveMark, kTextLeft, rowTop(0));
    }
    if (view.moreBelow && !view.rows.empty()) {
        drawLine(lock, kMoreBelowMark, kTextLeft, rowTop(static_cast<int>(view.rows.size()) - 1));
    }
    unlockTexture(layer);
    return true;
}

void compose(RenderState& render, const ChooserView& view) {
    const FrameView frame{render.frame.data(), render.outputWidth, render.outputHeight,
                          render.outputWidth};
    clearFrame(frame, kClearColor);
    blendTextureCentred(frame, *render.textTexture);
    if (view.highlighted >= 0 && view.highlighted < static_cast<int>(view.rows.size())) {
        const int top = rowTop(view.highlighted);
        invertBand(frame, 0, frameToOutput(top, frame.height, kScreenHeight), frame.width,
                   frameToOutput(top + kChooserRowHeight, frame.height, kScreenHeight));
    }
}

}  // namespace

bool renderChooser(RenderState& render, const ChooserView& view,
                   std::optional<ChooserView>& shownView) {
    return showView(render, view, shownView, [&render](const ChooserView& shown) {
        if (!drawText(render, shown)) {
            return false;
        }
        compose(render, shown);
        return true;
    });
}

}  // namespace tsuzuri
