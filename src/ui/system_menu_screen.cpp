#include "ui/system_menu_screen.h"

#include <iterator>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "ui/settings_screen.h"
#include "ui/slot_screen.h"

namespace tsuzuri {
namespace {

enum Row { Save, Load, QuickSave, QuickLoad, SettingsRow, Fullscreen, Quit, RowCount };
constexpr const char* kRows[RowCount] = {"Save",     "Load",       "Quick save", "Quick load",
                                         "Settings", "Fullscreen", "Quit"};

}  // namespace

SystemMenuScreen::SystemMenuScreen(RenderState& render, QuickSaves& saves, Preferences& preferences)
    : ListScreen(render, RowCount, Action::SystemMenu), saves_(saves), preferences_(preferences) {}

void SystemMenuScreen::update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) {
    if (!beginPass(input)) {
        return;
    }
    const int under = rowUnder(input);
    if (input.wasReleased(Action::Click) && under >= 0) {
        pick(stack, under, nowMs);
    } else if (input.wasReleased(Action::Advance) && !input.wasReleased(Action::Click)) {
        pick(stack, highlighted_, nowMs);
    }
}

void SystemMenuScreen::pick(ScreenStack& stack, int row, std::uint32_t nowMs) {
    close();
    switch (row) {
        case Save:
        case Load:
            if (saves_.slots() != nullptr) {
                stack.push(std::make_unique<SlotScreen>(
                    row == Save ? SlotScreen::Mode::Save : SlotScreen::Mode::Load, render_,
                    saves_));
            } else {
                saves_.save(nowMs);  // says why nothing can be saved
            }
            break;
        case QuickSave:
            saves_.save(nowMs);
            break;
        case QuickLoad:
            saves_.load(nowMs);
            break;
        case SettingsRow:
            stack.push(std::make_unique<SettingsScreen>(render_, preferences_));
            break;
        case Fullscreen: {
            const bool on = !platform::isFullscreen(render_.window);
            platform::setFullscreen(render_.window, on);
            preferences_.change([on](Settings& settings) { settings.fullscreen = on; });
            break;
        }
        case Quit:
            platform::postMessage(render_.window, platform::MessageKind::Close);
            break;
        default:
            break;
    }
}

bool SystemMenuScreen::draw(const std::string&) {
    return drawRows("Menu", std::vector<std::string>(std::begin(kRows), std::end(kRows)));
}

}  // namespace tsuzuri
