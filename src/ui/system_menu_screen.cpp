#include "ui/system_menu_screen.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "graphics/text_layer.h"
#include "platform/platform.h"
#include "ui/main_window.h"
#include "ui/slot_screen.h"

namespace tsuzuri {
namespace {

enum Row { Save, Load, QuickSave, QuickLoad, Fullscreen, Quit, RowCount };
constexpr const char* kRows[RowCount] = {"Save",       "Load",       "Quick save",
                                         "Quick load", "Fullscreen", "Quit"};

}  // namespace

SystemMenuScreen::SystemMenuScreen(RenderState& render, QuickSaves& saves, Preferences& preferences)
    : render_(render), saves_(saves), preferences_(preferences), storyText_(render.drawnPages) {}

bool SystemMenuScreen::takePress(ScreenStack&, const ActionPress& press) {
    switch (press.action) {
        case Action::MenuUp:
            --pendingMoves_;
            return true;
        case Action::MenuDown:
            ++pendingMoves_;
            return true;
        case Action::Quit:
        case Action::SystemMenu:
            closeAsked_ = closeAsked_ || !press.repeat;
            return true;
        case Action::QuitHold:
            return false;  // held, it quits from the story's run
        default:
            // The window's own keys still reach it; the story's do nothing here.
            return !isWindowAction(press.action);
    }
}

void SystemMenuScreen::update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) {
    if (std::exchange(closeAsked_, false) || input.wasReleased(Action::Toggle)) {
        close();
        return;
    }
    highlighted_ = std::clamp(highlighted_ + std::exchange(pendingMoves_, 0), 0, RowCount - 1);
    const int under = input.pointerKnown && input.pointerY >= kChooserFirstRowTop
                          ? (input.pointerY - kChooserFirstRowTop) / kChooserRowHeight
                          : -1;
    if (input.wasReleased(Action::Click) && under >= 0 && under < RowCount) {
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

void SystemMenuScreen::close() {
    if (!closed_) {
        closed_ = true;
        showDrawnPages(render_, storyText_);
    }
}

bool SystemMenuScreen::draw(const std::string&) {
    ChooserView view;
    view.title = "Menu";
    view.rows.assign(std::begin(kRows), std::end(kRows));
    view.highlighted = highlighted_;
    return renderChooser(render_, view, shown_);
}

}  // namespace tsuzuri
