// The SDL backend on SDL's own dummy video driver: a real SDL window and surface without a
// display, and the translation of SDL's events into messages and key state.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/scoped_env.h"

namespace tsuzuri::platform {
namespace {

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override { selectBackend(Backend::Sdl); }
    void TearDown() override { shutdownWindowSystem(); }

    test::ScopedEnv env;
};

void pushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void pushButton(Uint32 type, Uint8 button) {
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    SDL_PushEvent(&event);
}

TEST_F(SdlBackendTest, WithoutAnyDisplayTheWindowSystemExplainsWhy) {
    env.set("DISPLAY", nullptr);
    env.set("WAYLAND_DISPLAY", nullptr);
    env.set("SDL_VIDEODRIVER", nullptr);
    std::string reason;
    EXPECT_FALSE(initWindowSystem(reason));
    EXPECT_NE(reason.find("no display"), std::string::npos) << reason;
    EXPECT_NE(reason.find("--headless"), std::string::npos) << reason;
}

TEST_F(SdlBackendTest, DummyDriverWindowShowsFramesUntilDestroyed) {
    env.set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    ASSERT_TRUE(initWindowSystem(reason)) << reason;
    WindowHandle window = createWindow(800, 600);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(createWindow(800, 600), 0u) << "only one window per run";
    setWindowTitle(window, "\x83\x65\x83\x58\x83\x67");

    std::vector<std::uint32_t> frame(800 * 600, 0xFFC0C0FFu);
    EXPECT_TRUE(presentFrame(window, frame.data(), 800, 600, 800 * 4));

    destroyWindow(window);
    EXPECT_FALSE(isWindowAlive(window));
    EXPECT_FALSE(presentFrame(window, frame.data(), 800, 600, 800 * 4));
    EXPECT_FALSE(postMessage(window, MessageKind::Close));
}

TEST_F(SdlBackendTest, EventsBecomeKeyStateAndMessages) {
    env.set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    ASSERT_TRUE(initWindowSystem(reason)) << reason;
    WindowHandle window = createWindow(800, 600);
    ASSERT_NE(window, 0u);

    std::uint8_t keys[256];
    std::uint8_t pressed[256];
    Message message;
    while (peekMessage(message)) {
    }
    getKeyboardState(keys, pressed);

    // Keypad Enter is Enter; either Ctrl is Ctrl; a quick click is remembered as pressed.
    pushKey(SDL_KEYDOWN, SDLK_KP_ENTER);
    pushKey(SDL_KEYDOWN, SDLK_LCTRL);
    pushKey(SDL_KEYDOWN, SDLK_RCTRL);
    pushKey(SDL_KEYUP, SDLK_LCTRL);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    // Every key going down is a message too; the buttons are not.
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.key, VK_RETURN);
    while (peekMessage(message)) {
        EXPECT_EQ(message.kind, MessageKind::KeyDown);
        EXPECT_EQ(message.key, VK_CONTROL);
    }
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_RETURN], 0x80);
    EXPECT_EQ(keys[VK_CONTROL], 0x80) << "right Ctrl is still held";
    EXPECT_EQ(keys[VK_LBUTTON], 0);
    EXPECT_EQ(pressed[VK_LBUTTON], 0x80);
    EXPECT_EQ(keys[VK_RBUTTON], 0x80);

    pushKey(SDL_KEYUP, SDLK_RCTRL);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.kind, MessageKind::KeyDown);
    EXPECT_EQ(message.key, VK_ESCAPE);
    EXPECT_EQ(message.window, window);
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_CONTROL], 0);
    EXPECT_EQ(pressed[VK_LBUTTON], 0) << "presses are reported once";

    // Alt+Enter is the fullscreen key alone, once however long it is held: its Enter never
    // reaches the key state.
    pushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
    pushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, 1);
    pushKey(SDL_KEYUP, SDLK_RETURN, KMOD_LALT);
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.key, VK_F11);
    EXPECT_FALSE(peekMessage(message));
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_RETURN], 0);
    EXPECT_EQ(pressed[VK_RETURN], 0);

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.kind, MessageKind::Close);
}

// Where SDL keeps no global pointer position of its own (Wayland, the dummy driver), it answers
// the last position the pointer had inside the window, also after the pointer has left.
TEST_F(SdlBackendTest, PointerThatLeftTheWindowCountsAsOutside) {
    env.set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    ASSERT_TRUE(initWindowSystem(reason)) << reason;
    WindowHandle window = createWindow(800, 600);
    ASSERT_NE(window, 0u);
    SDL_Window* sdlWindow = nullptr;
    for (Uint32 id = 1; id < 64 && sdlWindow == nullptr; ++id) {
        sdlWindow = SDL_GetWindowFromID(id);
    }
    ASSERT_NE(sdlWindow, nullptr);
    SDL_WarpMouseInWindow(sdlWindow, 400, 300);

    auto crossing = [](Uint8 kind) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        SDL_PushEvent(&event);
        Message message;
        while (peekMessage(message)) {
        }
    };
    auto inside = [window] {
        int x = 0;
        int y = 0;
        EXPECT_TRUE(getCursorClientPos(window, x, y));
        return x >= 0 && x < 800 && y >= 0 && y < 600;
    };
    crossing(SDL_WINDOWEVENT_LEAVE);
    EXPECT_FALSE(inside());
    crossing(SDL_WINDOWEVENT_ENTER);
    EXPECT_TRUE(inside());
}

}  // namespace
}  // namespace tsuzuri::platform

namespace tsuzuri::platform {
namespace {

// A controller plugged in mid-run (SDL's virtual joystick, seen as a game controller) works at
// once; a second one is ignored while the first is in control; unplugging the one in control
// lets go of its buttons and hands control to whichever presses next.
TEST_F(SdlBackendTest, GamepadsArePluggedInAndOutWhileRunning) {
    env.set("SDL_VIDEODRIVER", "dummy");
    // The dummy window never has the focus, without which SDL holds a controller's input back.
    env.set("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1");
    std::string reason;
    ASSERT_TRUE(initWindowSystem(reason)) << reason;
    const WindowHandle window = createWindow(800, 600);
    ASSERT_NE(window, 0u);
    auto attach = [] {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        return SDL_JoystickAttachVirtualEx(&desc);
    };
    auto pass = [] {
        Message message;
        while (peekMessage(message)) {
        }
    };
    std::uint8_t keys[256];
    std::uint8_t pressed[256];
    const int first = attach();
    const int second = attach();
    ASSERT_GE(first, 0) << SDL_GetError();
    ASSERT_GE(second, 0) << SDL_GetError();
    pass();
    SDL_Joystick* one = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(first));
    SDL_Joystick* two = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(second));
    ASSERT_NE(one, nullptr) << "the controller was not opened";
    ASSERT_NE(two, nullptr);

    SDL_JoystickSetVirtualButton(one, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(one, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    SDL_JoystickUpdate();
    pass();
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickUpdate();
    pass();
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_PAD_A], 0x80);
    EXPECT_EQ(keys[VK_PAD_RT], 0x80);
    EXPECT_EQ(keys[VK_PAD_B], 0) << "the second controller is not in control";

    SDL_JoystickDetachVirtual(first);
    pass();
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_PAD_A], 0);
    EXPECT_EQ(keys[VK_PAD_RT], 0);
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_B, 0);
    SDL_JoystickUpdate();
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickUpdate();
    pass();
    getKeyboardState(keys, pressed);
    EXPECT_EQ(keys[VK_PAD_B], 0x80) << "the remaining controller takes control";
    SDL_JoystickDetachVirtual(second);
}

}  // namespace
}  // namespace tsuzuri::platform

namespace tsuzuri::platform {
namespace {

void pushFinger(Uint32 type, SDL_FingerID finger, float x, float y) {
    SDL_Event event{};
    event.type = type;
    event.tfinger.fingerId = finger;
    event.tfinger.x = x;
    event.tfinger.y = y;
    SDL_PushEvent(&event);
}

// A one-finger tap is a click where the finger was (in the frame's space), a two-finger tap
// the right button's click, and the mouse clicks SDL makes up from touches count for nothing.
TEST_F(SdlBackendTest, TapsAreClicksWhereTheFingerWas) {
    env.set("SDL_VIDEODRIVER", "dummy");
    std::string reason;
    ASSERT_TRUE(initWindowSystem(reason)) << reason;
    const WindowHandle window = createWindow(800, 600);
    ASSERT_NE(window, 0u);
    std::uint8_t keys[256];
    std::uint8_t pressed[256];
    Message message;
    auto pass = [&] {
        while (peekMessage(message)) {
        }
        getKeyboardState(keys, pressed);
    };
    pass();

    pushFinger(SDL_FINGERDOWN, 1, 0.5f, 0.91f);
    pushFinger(SDL_FINGERUP, 1, 0.5f, 0.91f);
    SDL_Event madeUp{};
    madeUp.type = SDL_MOUSEBUTTONDOWN;
    madeUp.button.which = SDL_TOUCH_MOUSEID;
    madeUp.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&madeUp);
    pass();
    EXPECT_EQ(pressed[VK_LBUTTON], 0x80);
    EXPECT_EQ(keys[VK_LBUTTON], 0) << "the made-up press is ignored";
    int x = 0, y = 0;
    ASSERT_TRUE(getCursorFramePos(window, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 546);

    pushFinger(SDL_FINGERDOWN, 1, 0.2f, 0.2f);
    pushFinger(SDL_FINGERDOWN, 2, 0.6f, 0.2f);
    pushFinger(SDL_FINGERUP, 1, 0.2f, 0.2f);
    pushFinger(SDL_FINGERUP, 2, 0.6f, 0.2f);
    pass();
    EXPECT_EQ(pressed[VK_RBUTTON], 0x80);
    EXPECT_EQ(pressed[VK_LBUTTON], 0);
}

}  // namespace
}  // namespace tsuzuri::platform
