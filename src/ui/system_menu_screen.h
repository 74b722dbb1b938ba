// The gamepad's system menu (Start): save, load, quick save, quick load, fullscreen and quit,
// as a list like the player's own chooser. The D-pad (or Up and Down) moves the highlight, A
// (or Enter) or a click picks, B, Start again or Escape close it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "graphics/chooser_view.h"
#include "ui/preferences.h"
#include "ui/quick_saves.h"
#include "ui/screen.h"

namespace tsuzuri {

class SystemMenuScreen final : public Screen {
public:
    // Saves and loads through `saves` (a screen of slots when they exist); draws into `render`;
    // keeps fullscreen in `preferences`. All outlive it.
    SystemMenuScreen(RenderState& render, QuickSaves& saves, Preferences& preferences);

    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    bool draw(const std::string& cornerNote) override;
    bool isClosed() const override { return closed_; }
    void end() override { close(); }

private:
    void pick(ScreenStack& stack, int row, std::uint32_t nowMs);
    void close();

    RenderState& render_;
    QuickSaves& saves_;
    Preferences& preferences_;
    int highlighted_ = 0;
    int pendingMoves_ = 0;
    bool closeAsked_ = false;
    std::vector<DrawnPage> storyText_;
    std::optional<ChooserView> shown_;
    bool closed_ = false;
};

}  // namespace tsuzuri
