// A yes-or-no question over the screen below: Enter, the gamepad's A or a left click says yes;
// Escape, the gamepad's B, Space or a right click says no. Either closes it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graphics/chooser_view.h"
#include "graphics/render_device.h"
#include "ui/screen.h"

namespace tsuzuri {

class QuestionScreen final : public Screen {
public:
    // Asks `question` (Shift-JIS) in `render`'s frame; `yes` is called when the answer is yes.
    QuestionScreen(RenderState& render, std::string question, std::function<void()> yes);

    bool takePress(ScreenStack& stack, const ActionPress& press) override;
    void update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) override;
    bool draw(const std::string& cornerNote) override;
    bool isClosed() const override { return closed_; }

private:
    RenderState& render_;
    ChooserView view_;
    std::function<void()> yes_;
    std::optional<ChooserView> shown_;
    bool closed_ = false;
};

}  // namespace tsuzuri
