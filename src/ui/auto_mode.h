// Auto mode for the reader: A switches it on and off. While it is on, a page turns by itself
// kAutoPageMs plus kAutoCharMs per drawn character after it was drawn, and not before a one-shot
// sound effect started on that page has ended (looping sounds and music do not hold it). Menus
// wait for the reader, and any click or key of the story switches auto mode off. A mark in the
// frame's corner shows that it is on.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/action.h"

namespace tsuzuri {

constexpr std::uint32_t kAutoPageMs = 1500;
constexpr std::uint32_t kAutoCharMs = 60;

// Once per idle pass after the input is sampled and before the story steps, at clock `nowMs`:
// the AutoMode action switches auto mode; the story's own input switches it off; a page whose
// time has come gets a click added to `input`.
void applyAutoMode(ActionInput& input, std::uint32_t nowMs);
// Instead, on a pass while the reader looks back: the AutoMode action still switches auto
// mode, and the page's wait starts over.
void standAutoMode(const ActionInput& input, std::uint32_t nowMs);
// After the story's step, at clock `nowMs`: notices a page drawn in it, from when its wait is
// measured.
void watchAutoModePage(std::uint32_t nowMs);
bool isAutoModeOn();
// Off, with no page watched (a new run).
void resetAutoMode();

// The characters a page draws (a two-byte character counts one; spaces, line breaks and what
// does not fit on the page are not drawn).
std::uint32_t drawnCharacterCount(std::string_view text);

}  // namespace tsuzuri
