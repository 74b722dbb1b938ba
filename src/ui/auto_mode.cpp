#include "ui/auto_mode.h"

#include "graphics/text_layer.h"
#include "graphics/text_layout.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {
namespace {

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

AutoMode::AutoMode() : pagesSeen_(textPagesDrawn()) {}

void AutoMode::stand(const ActionInput& input, std::uint32_t nowMs) {
    if (input.wasReleased(Action::AutoMode)) {
        on_ = !on_;
    }
    drawnAtMs_ = nowMs;
}

void AutoMode::apply(ActionInput& input, std::uint32_t nowMs) {
    if (input.wasReleased(Action::AutoMode)) {
        on_ = !on_;
    }
    if (!on_) {
        return;
    }
    if (isStoryInput(input)) {
        on_ = false;
        return;
    }
    if (!onPage_ || sceneState.currentLine != pageLine_ || sceneState.textDirty != 0 ||
        sceneState.windowShown == 0 || nowMs - drawnAtMs_ < waitMs_ ||
        (heldBy_ > 0 && SoundIsPlaying(heldBy_))) {
        return;
    }
    onPage_ = false;
    addClick(input);
}

void AutoMode::watchPage(std::uint32_t nowMs) {
    const std::uint64_t drawn = textPagesDrawn();
    if (drawn == pagesSeen_) {
        return;
    }
    pagesSeen_ = drawn;
    const std::int32_t index = sceneState.currentLine;
    onPage_ = index >= 0 && index < static_cast<std::int32_t>(sceneState.lines.size()) &&
              sceneState.lines[static_cast<std::size_t>(index)]->kind == Text;
    if (!onPage_) {
        return;  // a menu: it waits for the reader
    }
    pageLine_ = index;
    drawnAtMs_ = nowMs;
    waitMs_ = kAutoPageMs +
              kAutoCharMs * drawnCharacterCount(
                                sceneState.lines[static_cast<std::size_t>(index)]->text.c_str());
    heldBy_ = sceneState.seChannel != lastSe_ ? sceneState.seChannel : 0;
    lastSe_ = sceneState.seChannel;
}

}  // namespace tsuzuri
