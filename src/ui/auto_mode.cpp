#include "ui/auto_mode.h"

#include "graphics/text_layer.h"
#include "graphics/text_layout.h"
#include "script_engine/scene_state.h"
#include "sound/sound_layer.h"
#include "ui/reader_mark.h"

namespace tsuzuri {
namespace {

struct AutoMode {
    bool on = false;
    std::uint64_t pagesSeen = 0;  // textPagesDrawn() when last looked at
    bool onPage = false;          // a page is watched and has not been turned by auto mode
    std::int32_t pageLine = -1;   // its line
    std::uint32_t drawnAtMs = 0;
    std::uint32_t waitMs = 0;
    SoundId heldBy = 0;  // the one-shot sound effect started on it, or 0
    SoundId lastSe = 0;  // the SE channel when the page before was drawn
};

AutoMode autoMode;

void switchAutoMode(bool on) {
    autoMode.on = on;
    markAutoMode(on);
}

bool isStoryInput(const ActionInput& input) {
    return input.wasReleased(Action::Advance) || input.wasReleased(Action::Toggle) ||
           input.isHeld(Action::Skip);
}

}  // namespace

std::uint32_t drawnCharacterCount(std::string_view text) {
    std::uint32_t count = 0;
    layoutTextPage(text, [&count](const PlacedGlyph&) { ++count; });
    return count;
}

void standAutoMode(const ActionInput& input, std::uint32_t now) {
    if (input.wasReleased(Action::AutoMode)) {
        switchAutoMode(!autoMode.on);
    }
    autoMode.drawnAtMs = now;
}

void applyAutoMode(ActionInput& input, std::uint32_t now) {
    AutoMode& a = autoMode;
    if (input.wasReleased(Action::AutoMode)) {
        switchAutoMode(!a.on);
    }
    if (!a.on) {
        return;
    }
    if (isStoryInput(input)) {
        switchAutoMode(false);
        return;
    }
    if (!a.onPage || sceneState.currentLine != a.pageLine || sceneState.textDirty != 0 ||
        sceneState.windowShown == 0 || now - a.drawnAtMs < a.waitMs ||
        (a.heldBy > 0 && SoundIsPlaying(a.heldBy))) {
        return;
    }
    a.onPage = false;
    addClick(input);
}

void watchAutoModePage(std::uint32_t nowMs) {
    AutoMode& a = autoMode;
    const std::uint64_t drawn = textPagesDrawn();
    if (drawn == a.pagesSeen) {
        return;
    }
    a.pagesSeen = drawn;
    const std::int32_t index = sceneState.currentLine;
    a.onPage = index >= 0 && index < static_cast<std::int32_t>(sceneState.lines.size()) &&
               sceneState.lines[static_cast<std::size_t>(index)]->kind == Text;
    if (!a.onPage) {
        return;  // a menu: it waits for the reader
    }
    a.pageLine = index;
    a.drawnAtMs = nowMs;
    a.waitMs = kAutoPageMs +
               kAutoCharMs * drawnCharacterCount(
                                 sceneState.lines[static_cast<std::size_t>(index)]->text.c_str());
    a.heldBy = sceneState.seChannel != a.lastSe ? sceneState.seChannel : 0;
    a.lastSe = sceneState.seChannel;
}

bool isAutoModeOn() {
    return autoMode.on;
}

void resetAutoMode() {
    autoMode = AutoMode{};
    autoMode.pagesSeen = textPagesDrawn();
    markAutoMode(false);
}

}  // namespace tsuzuri
