#include "shell/main_window.h"

#include <cstdio>
#include <string>

#include "graphics/corner_note.h"
#include "graphics/render_device.h"
#include "shell/backlog.h"
#include "shell/screenshot.h"
#include "sound/sound_layer.h"

namespace tsuzuri {

namespace {

using platform::Message;
using platform::MessageKind;

// What the system does with a message the window leaves alone: a close request destroys the
// window, which is told of its destruction at once.
void defaultWindowProc(const Message& message) {
    if (message.kind == MessageKind::Close && platform::isWindowAlive(message.window)) {
        platform::destroyWindow(message.window);
        mainWindowProc(Message{MessageKind::Destroy, message.window, 0});
    }
}

// The volume steps of + and -.
constexpr int kVolumeStep = 10;

// M mutes and unmutes; + and - move the volume a step (and unmute). The new state shows in
// the frame's corner for a moment.
void changeVolume(int key) {
    if (key == platform::VK_M) {
        SoundSetMuted(!SoundMuted());
    } else {
        SoundSetVolume(SoundVolume() + (key == platform::VK_OEM_PLUS ? kVolumeStep : -kVolumeStep));
        SoundSetMuted(false);
    }
    showCornerNote(SoundMuted() ? "Muted" : "Volume " + std::to_string(SoundVolume()),
                   platform::timeGetTime());
}

}  // namespace

bool createMainWindow(int scale, bool fitDesktop, bool fullscreen) {
    std::string reason;
    if (!platform::initWindowSystem(reason)) {
        std::fprintf(stderr, "tsuzuri: %s\n", reason.c_str());
        mainWindow = 0;
        return false;
    }
    platform::WindowShape shape;
    shape.resizable = scale > 0 || fitDesktop || fullscreen;
    shape.fitDesktop = fitDesktop;
    shape.fullscreen = fullscreen;
    const int factor = scale > 0 ? scale : 1;
    mainWindow = platform::createWindow(kScreenWidth * factor, kScreenHeight * factor, shape);
    return mainWindow != 0;
}

void mainWindowProc(const Message& message) {
    switch (message.kind) {
        case MessageKind::Destroy:
            platform::postQuitMessage();
            return;
        case MessageKind::KeyDown:
            if (takeBacklogKey(message)) {
                defaultWindowProc(message);
                return;
            }
            if (message.key == platform::VK_ESCAPE) {
                platform::postMessage(message.window, MessageKind::Close);
            } else if (message.key == platform::VK_F11 ||
                       (message.key == platform::VK_PAD_START && !message.repeat)) {
                platform::setFullscreen(message.window, !platform::isFullscreen(message.window));
            } else if (message.key == platform::VK_OEM_PLUS ||
                       message.key == platform::VK_OEM_MINUS ||
                       (message.key == platform::VK_M && !message.repeat)) {
                changeVolume(message.key);
            } else if (message.key == platform::VK_F12 && !message.repeat) {
                saveScreenshot();
            }
            defaultWindowProc(message);
            return;
        default:
            defaultWindowProc(message);
            return;
    }
}

void unregisterMainWindowClass() {
    platform::shutdownWindowSystem();
}

}  // namespace tsuzuri
