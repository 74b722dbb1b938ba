// What the screens drawn with the message text's glyphs (the chooser, a page of save slots)
// share: a line of text on the 800x600 grid, and showing a view only when it has changed.
#pragma once

#include <optional>
#include <string_view>

#include "graphics/render_device.h"
#include "graphics/texture.h"
#include "platform/platform.h"

namespace tsuzuri {

// Draws one line of Shift-JIS text into the locked text layer from 800x600 position
// (left, top), half a full-width character a byte, cut where the next character would pass
// `right`.
void drawTextLine(const LockedRect& lock, std::string_view text, int left, int top, int right);

// Shows `view`: when it differs from `shown` (the one shown last), or the window asks for its
// content again or changed size, `paint(view)` draws it into render.frame (false when it
// cannot) and it is presented; never waits. False when the display cannot go on.
template <typename View, typename Paint>
bool showView(RenderState& render, const View& view, std::optional<View>& shown, Paint paint) {
    if (render.frame.empty() || !render.textTexture) {
        return false;
    }
    const bool redraw = platform::takeRedrawRequest(render.window);
    const bool resized = fitOutputToWindow(render);
    if (redraw || resized || !shown || *shown != view) {
        if (!paint(view)) {
            return false;
        }
        if (!presentComposedFrame(render)) {
            shown.reset();
            return false;
        }
        shown = view;
    }
    return true;
}

}  // namespace tsuzuri
