#include "ui/settings_screen.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace tsuzuri {
namespace {

enum Row {
    Volume,
    Music,
    Effects,
    Mute,
    WindowSize,
    Fullscreen,
    AutoBase,
    AutoPerChar,
    Skip,
    CopyPages,
    Close,
    RowCount
};

constexpr int kVolumeStep = 10;
constexpr std::uint32_t kAutoBaseStepMs = 250;
constexpr std::uint32_t kAutoPerCharStepMs = 10;

// The window sizes offered, in order: 1x, 2x, fit.
enum class WindowSizeChoice { One, Two, Fit };

WindowSizeChoice windowSizeOf(const Settings& settings) {
    return settings.scaleToFit   ? WindowSizeChoice::Fit
           : settings.scale >= 2 ? WindowSizeChoice::Two
                                 : WindowSizeChoice::One;
}

std::string onOff(bool on) {
    return on ? "on" : "off";
}

// `value` stepped by `step` in the direction, held to 0..`most` or wrapping round.
template <typename Number>
Number stepped(Number value, int direction, Number step, Number most, bool wrap) {
    const std::int64_t next = std::int64_t{value} + direction * std::int64_t{step};
    if (next > std::int64_t{most}) {
        return wrap ? Number{0} : most;
    }
    if (next < 0) {
        return wrap ? most : Number{0};
    }
    return static_cast<Number>(next);
}

// Copies what the row sets from `from` into `to`.
void copyRow(int row, const Settings& from, Settings& to) {
    switch (row) {
        case Volume:
            to.volume = from.volume;
            to.mute = from.mute;
            break;
        case Music:
            to.musicVolume = from.musicVolume;
            break;
        case Effects:
            to.effectsVolume = from.effectsVolume;
            break;
        case Mute:
            to.mute = from.mute;
            break;
        case WindowSize:
            to.scale = from.scale;
            to.scaleToFit = from.scaleToFit;
            to.fullscreen = from.fullscreen;
            break;
        case Fullscreen:
            to.fullscreen = from.fullscreen;
            break;
        case AutoBase:
            to.autoBaseMs = from.autoBaseMs;
            break;
        case AutoPerChar:
            to.autoPerCharMs = from.autoPerCharMs;
            break;
        case Skip:
            to.skip = from.skip;
            break;
        case CopyPages:
            to.copyPages = from.copyPages;
            break;
        default:
            break;
    }
}

}  // namespace

std::vector<std::string> settingsRows(const Settings& s) {
    static constexpr const char* kSizes[] = {"1x (800x600)", "2x (1600x1200)", "fit the desktop"};
    std::vector<std::string> rows(RowCount);
    rows[Volume] = "Volume          " + std::to_string(s.volume) + "%";
    rows[Music] = "Music           " + std::to_string(s.musicVolume) + "%";
    rows[Effects] = "Effects         " + std::to_string(s.effectsVolume) + "%";
    rows[Mute] = "Mute            " + onOff(s.mute);
    rows[WindowSize] = std::string("Window size     ") + kSizes[static_cast<int>(windowSizeOf(s))];
    rows[Fullscreen] = "Fullscreen      " + onOff(s.fullscreen);
    rows[AutoBase] = "Auto: per page  " + std::to_string(s.autoBaseMs) + " ms";
    rows[AutoPerChar] = "Auto: per char  " + std::to_string(s.autoPerCharMs) + " ms";
    rows[Skip] = std::string("Skip            ") +
                 (s.skip == SkipMode::Read ? "read pages only" : "all pages");
    rows[CopyPages] = "Copy each page  " + onOff(s.copyPages);
    rows[Close] = "Close";
    return rows;
}

SettingsScreen::SettingsScreen(RenderState& render, Preferences& preferences)
    : ListScreen(render, RowCount, Action::Settings), preferences_(preferences) {}

bool SettingsScreen::takeOwnPress(const ActionPress& press) {
    if (press.action != Action::MenuLeft && press.action != Action::MenuRight) {
        return false;
    }
    pendingSteps_ += press.action == Action::MenuRight ? 1 : -1;
    return true;
}

void SettingsScreen::update(ScreenStack&, ActionInput& input, std::uint32_t) {
    highlighted_ -= input.wheelNotches;  // a notch up is one row up
    input.wheelNotches = 0;
    if (!beginPass(input)) {
        return;
    }
    if (const int steps = std::exchange(pendingSteps_, 0); steps != 0) {
        step(highlighted_, steps > 0 ? 1 : -1, false);
    }
    const int under = rowUnder(input);
    if (input.wasReleased(Action::Click) && under >= 0) {
        highlighted_ = under;
        step(under, 1, true);
    } else if (input.wasReleased(Action::Advance) && !input.wasReleased(Action::Click)) {
        step(highlighted_, 1, true);
    }
}

void SettingsScreen::step(int row, int direction, bool wrap) {
    if (row == Close) {
        close();
        return;
    }
    const Settings& now = preferences_.current();
    Settings next = now;
    switch (row) {
        case Volume:
            next.volume = stepped(now.volume, direction, kVolumeStep, 100, wrap);
            next.mute = false;
            break;
        case Music:
            next.musicVolume = stepped(now.musicVolume, direction, kVolumeStep, 100, wrap);
            break;
        case Effects:
            next.effectsVolume = stepped(now.effectsVolume, direction, kVolumeStep, 100, wrap);
            break;
        case Mute:
            next.mute = !now.mute;
            break;
        case WindowSize: {
            const auto size = static_cast<WindowSizeChoice>(
                stepped(static_cast<int>(windowSizeOf(now)), direction, 1, 2, wrap));
            next.scaleToFit = size == WindowSizeChoice::Fit;
            next.scale = size == WindowSizeChoice::Fit ? 0 : size == WindowSizeChoice::Two ? 2 : 1;
            next.fullscreen = false;
            break;
        }
        case Fullscreen:
            next.fullscreen = !now.fullscreen;
            break;
        case AutoBase:
            next.autoBaseMs =
                stepped(now.autoBaseMs, direction, kAutoBaseStepMs, kMaxAutoBaseMs, wrap);
            break;
        case AutoPerChar:
            next.autoPerCharMs =
                stepped(now.autoPerCharMs, direction, kAutoPerCharStepMs, kMaxAutoPerCharMs, wrap);
            break;
        case Skip:
            next.skip = now.skip == SkipMode::All ? SkipMode::Read : SkipMode::All;
            break;
        case CopyPages:
            next.copyPages = !now.copyPages;
            break;
        default:
            return;
    }
    if (next == now) {
        return;
    }
    if (row == WindowSize) {
        const int factor = next.scale > 0 ? next.scale : 1;
        platform::resizeWindow(render_.window, kScreenWidth * factor, kScreenHeight * factor,
                               next.scaleToFit);
    } else if (row == Fullscreen) {
        platform::setFullscreen(render_.window, next.fullscreen);
    }
    // Only the setting changed here is taken: the others keep what the file holds.
    preferences_.change([row, &next](Settings& settings) { copyRow(row, next, settings); });
    applySoundSettings(preferences_.current());
}

bool SettingsScreen::draw(const std::string&) {
    return drawRows("Settings", settingsRows(preferences_.current()));
}

}  // namespace tsuzuri
