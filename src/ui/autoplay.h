// Playing a game unattended: each page is turned after a while and each choice menu answered
// with its first row, by the same clicks a reader would give.
#pragma once

#include <cstdint>

#include "ui/action.h"

namespace tsuzuri {

constexpr std::uint32_t kDefaultAutoplayMs = 1500;

void startAutoplay(std::uint32_t pageMs);
void stopAutoplay();
// Called once per idle pass after the input has been sampled, at clock `nowMs`: adds a click
// to this pass's input when the current page or menu has been shown for long enough, and on a
// menu puts the pointer on its first row.
void applyAutoplay(ActionInput& input, std::uint32_t nowMs);

}  // namespace tsuzuri
