// Playing a game unattended: each page is turned after a while and each choice menu answered
// with its first row, by the same clicks a reader would give.
#pragma once

#include <cstdint>

namespace tsuzuri {

constexpr std::uint32_t kDefaultAutoplayMs = 1500;

void startAutoplay(std::uint32_t pageMs);
void stopAutoplay();
// Called once per idle pass after the keyboard has been sampled: adds a click to this pass's
// input when the current page or menu has been shown for long enough.
void applyAutoplay();

}  // namespace tsuzuri
