// The settings screen (O, or the system menu): the volumes and mute, the window's size and
// fullscreen, auto mode's pace, what a skip passes and copying pages. Up and Down (the D-pad,
// the wheel, the pointer) choose a setting; Left and Right step its value down and up, and
// Enter, a click or a tap step it up (round to the first value after the last). Each change
// takes effect at once and is kept. Escape, Space, a right click or B close it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/list_screen.h"
#include "ui/preferences.h"

namespace tsuzuri {

class SettingsScreen final : public ListScreen {
public:
    // Draws into `render`; changes `preferences`. Both outlive it.
    SettingsScreen(RenderState& render, Preferences& preferences);

    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    bool draw(const std::string& cornerNote) override;

private:
    bool takeOwnPress(const ActionPress& press) override;
    // Steps the value of `row` by `direction` (+1 or -1), wrapping round when `wrap`.
    void step(int row, int direction, bool wrap);

    Preferences& preferences_;
    int pendingSteps_ = 0;
};

// The rows of the settings screen for `settings`, as shown ("Volume  70%" ...).
std::vector<std::string> settingsRows(const Settings& settings);

}  // namespace tsuzuri
