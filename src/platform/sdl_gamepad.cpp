// Gamepads through SDL's game-controller API: every controller plugged in (before or during the
// run) is opened; the first one to press a button is in control until it is unplugged, and its
// buttons become keys of their own (VK_PAD_*), with a message for each press like a keyboard
// key's.
#include <SDL.h>

#include <map>

#include "platform/backend.h"

namespace tsuzuri::platform {
namespace {

// Pulled this far (of 32767), the right trigger counts as held.
constexpr Sint16 kTriggerHeld = 16384;

struct Gamepads {
    bool up = false;
    std::map<SDL_JoystickID, SDL_GameController*> open;
    SDL_JoystickID inControl = -1;  // -1: none yet
    bool triggerHeld = false;
};

Gamepads& pads() {
    static Gamepads instance;
    return instance;
}

int keyOfButton(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return VK_PAD_A;
        case SDL_CONTROLLER_BUTTON_B:
            return VK_PAD_B;
        case SDL_CONTROLLER_BUTTON_X:
            return VK_PAD_X;
        case SDL_CONTROLLER_BUTTON_Y:
            return VK_PAD_Y;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return VK_PAD_LB;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return VK_PAD_RB;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return VK_PAD_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return VK_PAD_DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return VK_PAD_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return VK_PAD_RIGHT;
        case SDL_CONTROLLER_BUTTON_START:
            return VK_PAD_START;
        case SDL_CONTROLLER_BUTTON_BACK:
            return VK_PAD_BACK;
        default:
            return 0;
    }
}

void press(int key) {
    inputTracker().press(key);
    if (liveWindow() != 0) {
        enqueueMessage(Message{MessageKind::KeyDown, liveWindow(), key});
    }
}

// Lets go of every button: the controller in control was unplugged.
void releaseAll() {
    for (int key : {VK_PAD_A, VK_PAD_B, VK_PAD_X, VK_PAD_Y, VK_PAD_LB, VK_PAD_RB, VK_PAD_RT,
                    VK_PAD_UP, VK_PAD_DOWN, VK_PAD_LEFT, VK_PAD_RIGHT, VK_PAD_START, VK_PAD_BACK}) {
        inputTracker().release(key);
    }
    pads().triggerHeld = false;
}

// Whether input from this controller counts: it is in control, or nobody is and it takes it.
bool inControl(SDL_JoystickID id, bool takes) {
    Gamepads& g = pads();
    if (g.inControl == -1 && takes) {
        g.inControl = id;
    }
    return g.inControl == id;
}

void opened(int deviceIndex) {
    if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex)) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        if (!pads().open.emplace(id, controller).second) {
            SDL_GameControllerClose(controller);  // already open (added before the event came)
        }
    }
}

void removed(SDL_JoystickID id) {
    Gamepads& g = pads();
    auto found = g.open.find(id);
    if (found != g.open.end()) {
        SDL_GameControllerClose(found->second);
        g.open.erase(found);
    }
    if (g.inControl == id) {
        g.inControl = -1;
        releaseAll();
    }
}

}  // namespace

void startGamepads() {
    Gamepads& g = pads();
    if (g.up || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return;  // no gamepads then; the keyboard and mouse still work
    }
    g.up = true;
    // Controllers already plugged in arrive as "added" events too.
}

void stopGamepads() {
    Gamepads& g = pads();
    if (!g.up) {
        return;
    }
    for (auto& [id, controller] : g.open) {
        SDL_GameControllerClose(controller);
    }
    g = Gamepads{};
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool handleGamepadEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            opened(event.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            removed(event.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const int key = keyOfButton(event.cbutton.button);
            const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
            if (key != 0 && inControl(event.cbutton.which, down)) {
                if (down) {
                    press(key);
                } else {
                    inputTracker().release(key);
                }
            }
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            if (event.caxis.axis != SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
                return true;
            }
            const bool held = event.caxis.value >= kTriggerHeld;
            Gamepads& g = pads();
            if (held != g.triggerHeld && inControl(event.caxis.which, held)) {
                g.triggerHeld = held;
                if (held) {
                    press(VK_PAD_RT);
                } else {
                    inputTracker().release(VK_PAD_RT);
                }
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tsuzuri::platform
