#include "ui/autoplay.h"

namespace tsuzuri {
namespace {

// The middle of the first choice row.
constexpr int kFirstRowX = 400;
constexpr int kFirstRowY = 493;

}  // namespace

void Autoplay::apply(ActionInput& input, std::uint32_t nowMs) {
    const auto count = static_cast<std::int32_t>(scene_.lines.size());
    const std::int32_t index = scene_.currentLine;
    const ScriptLine* line =
        index >= 0 && index < count ? scene_.lines[static_cast<std::size_t>(index)].get() : nullptr;
    if (line != line_ || index != index_) {
        line_ = line;
        index_ = index;
        since_ = nowMs;
    }
    if (line == nullptr) {
        return;
    }
    const bool menu = line->kind == Choices;
    if (menu) {
        input.pointerKnown = true;
        input.pointerX = kFirstRowX;
        input.pointerY = kFirstRowY;
    }
    if ((line->kind == Text || menu) && nowMs - since_ >= pageMs_) {
        addClick(input);
        since_ = nowMs;
    }
}

}  // namespace tsuzuri
