#include "ui/screen_loop.h"

#include "platform/platform.h"
#include "ui/input_reader.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

// The pause after each pass, so that waiting for the reader does not spin a core.
constexpr std::uint32_t kPassPauseMs = 10;

}  // namespace

LoopEnd runScreens(ScreenStack& screens, WindowActions& window, Clock& clock,
                   const LoopOptions& options) {
    InputReader reader;
    const std::uint32_t loopStart = clock.nowMs();
    bool guarded = options.guardMs > 0;
    std::uint64_t pass = 0;
    platform::Message message{};
    for (;;) {
        if (platform::peekMessage(message)) {
            if (message.kind == platform::MessageKind::Quit) {
                return LoopEnd::Quit;
            }
            for (const ActionPress& press : reader.pressesOf(message)) {
                if (!screens.takePress(press)) {
                    window.take(press, clock.nowMs());
                }
            }
            mainWindowProc(message);
            // A screen may close on a press (Escape, Enter on a chooser): it goes at once.
            screens.removeClosed();
            if (screens.empty()) {
                return LoopEnd::ScreensClosed;
            }
            continue;
        }
        ++pass;
        ActionInput input;
        std::uint32_t now = clock.nowMs();
        if (guarded) {
            if (now - loopStart >= options.guardMs) {
                guarded = false;
            }
            reader.discardPresses();
        } else {
            input = reader.sample(window.handle());
            now = clock.nowMs();
        }
        if (options.beforeUpdate) {
            options.beforeUpdate(input, now, pass);
        }
        screens.update(input, now);
        if (screens.empty()) {
            return LoopEnd::ScreensClosed;
        }
        if (!screens.draw(window.note(clock.nowMs())) && window.handle() != 0) {
            platform::postMessage(window.handle(), platform::MessageKind::Close);
        }
        if (!options.skipsPause || !options.skipsPause(input)) {
            clock.pause(kPassPauseMs);
        }
        if (options.afterPass) {
            options.afterPass(pass);
        }
        if (options.endsNow && options.endsNow()) {
            return LoopEnd::Ended;
        }
    }
}

}  // namespace tsuzuri
