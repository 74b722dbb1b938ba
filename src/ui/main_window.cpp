#include "ui/main_window.h"

#include <cstdio>
#include <string>

#include "capture/screenshot.h"
#include "graphics/render_device.h"
#include "sound/sound_layer.h"

namespace tsuzuri {

namespace {

using platform::Message;
using platform::MessageKind;

// The volume steps of VolumeUp and VolumeDown.
constexpr int kVolumeStep = 10;

std::string volumeText() {
    return SoundMuted() ? "Muted" : "Volume " + std::to_string(SoundVolume());
}

}  // namespace

platform::WindowHandle createMainWindow(int scale, bool fitDesktop, bool fullscreen) {
    std::string reason;
    if (!platform::initWindowSystem(reason)) {
        std::fprintf(stderr, "tsuzuri: %s\n", reason.c_str());
        return 0;
    }
    platform::WindowShape shape;
    shape.resizable = scale > 0 || fitDesktop || fullscreen;
    shape.fitDesktop = fitDesktop;
    shape.fullscreen = fullscreen;
    const int factor = scale > 0 ? scale : 1;
    return platform::createWindow(kScreenWidth * factor, kScreenHeight * factor, shape);
}

bool isWindowAction(Action action) {
    return action == Action::Fullscreen || action == Action::Mute || action == Action::VolumeUp ||
           action == Action::VolumeDown || action == Action::Screenshot;
}

bool WindowActions::take(const ActionPress& press, std::uint32_t nowMs) {
    switch (press.action) {
        case Action::Quit:
            platform::postMessage(render_.window, MessageKind::Close);
            return true;
        case Action::Fullscreen:
            if (!press.repeat) {
                const bool on = !platform::isFullscreen(render_.window);
                platform::setFullscreen(render_.window, on);
                keep([on](Settings& settings) { settings.fullscreen = on; });
            }
            return true;
        case Action::Mute:
            if (!press.repeat) {
                SoundSetMuted(!SoundMuted());
                keep([](Settings& settings) { settings.mute = SoundMuted(); });
                note_ = volumeText();
                noteShownAtMs_ = nowMs;
            }
            return true;
        case Action::VolumeUp:
        case Action::VolumeDown:
            SoundSetVolume(SoundVolume() +
                           (press.action == Action::VolumeUp ? kVolumeStep : -kVolumeStep));
            SoundSetMuted(false);
            keep([](Settings& settings) {
                settings.volume = SoundVolume();
                settings.mute = false;
            });
            note_ = volumeText();
            noteShownAtMs_ = nowMs;
            return true;
        case Action::Screenshot:
            if (!press.repeat) {
                saveScreenshot(render_,
                               scene_ != nullptr ? scene_->gameFolder : std::filesystem::path());
            }
            return true;
        default:
            return false;
    }
}

void WindowActions::keep(const std::function<void(Settings&)>& change) {
    if (preferences_ != nullptr) {
        preferences_->change(change);
    }
}

std::string WindowActions::note(std::uint32_t nowMs) {
    if (!note_.empty() && nowMs - noteShownAtMs_ >= kNoteMs) {
        note_.clear();
    }
    return note_;
}

void mainWindowProc(const Message& message) {
    switch (message.kind) {
        case MessageKind::Destroy:
            platform::postQuitMessage();
            return;
        case MessageKind::Close:
            // No question asked: the window goes, and is told of its destruction at once.
            if (platform::isWindowAlive(message.window)) {
                platform::destroyWindow(message.window);
                mainWindowProc(Message{MessageKind::Destroy, message.window, 0});
            }
            return;
        default:
            return;
    }
}

void unregisterMainWindowClass() {
    platform::shutdownWindowSystem();
}

}  // namespace tsuzuri
