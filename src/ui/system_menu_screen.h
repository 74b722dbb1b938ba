// The gamepad's system menu (Start): save, load, quick save, quick load, settings, fullscreen
// and quit,
// as a list like the player's own chooser. The D-pad (or Up and Down) moves the highlight, A
// (or Enter) or a click picks, B, Start again or Escape close it.
#pragma once

#include <cstdint>
#include <string>

#include "ui/list_screen.h"
#include "ui/preferences.h"
#include "ui/quick_saves.h"

namespace tsuzuri {

class SystemMenuScreen final : public ListScreen {
public:
    // Saves and loads through `saves` (a screen of slots when they exist); draws into `render`;
    // keeps fullscreen in `preferences`. All outlive it.
    SystemMenuScreen(RenderState& render, QuickSaves& saves, Preferences& preferences);

    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    bool draw(const std::string& cornerNote) override;

private:
    void pick(ScreenStack& stack, int row, std::uint32_t nowMs);

    QuickSaves& saves_;
    Preferences& preferences_;
};

}  // namespace tsuzuri
