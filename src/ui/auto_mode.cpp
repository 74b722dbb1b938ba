#include "ui/auto_mode.h"

#include "graphics/text_layer.h"
#include "graphics/text_layout.h"

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

AutoMode::AutoMode(const SceneState& scene) : scene_(scene), pagesSeen_(scene.render->pagesDrawn) {}

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
    if (!onPage_ || scene_.currentLine != pageLine_ || scene_.textDirty != 0 ||
        scene_.windowShown == 0 || nowMs - drawnAtMs_ < waitMs_ ||
        (heldBy_ > 0 && SoundIsPlaying(heldBy_))) {
        return;
    }
    onPage_ = false;
    addClick(input);
}

void AutoMode::watchPage(std::uint32_t nowMs) {
    const std::uint64_t drawn = scene_.render->pagesDrawn;
    if (drawn == pagesSeen_) {
        return;
    }
    pagesSeen_ = drawn;
    const std::int32_t index = scene_.currentLine;
    onPage_ = index >= 0 && index < static_cast<std::int32_t>(scene_.lines.size()) &&
              scene_.lines[static_cast<std::size_t>(index)]->kind == Text;
    if (!onPage_) {
        return;  // a menu: it waits for the reader
    }
    pageLine_ = index;
    drawnAtMs_ = nowMs;
    waitMs_ = baseMs_ +
              perCharMs_ *
                  drawnCharacterCount(scene_.lines[static_cast<std::size_t>(index)]->text.c_str());
    heldBy_ = scene_.seChannel != lastSe_ ? scene_.seChannel : 0;
    lastSe_ = scene_.seChannel;
}

}  // namespace tsuzuri
