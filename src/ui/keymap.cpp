#include "ui/keymap.h"

#include "platform/platform.h"

namespace tsuzuri {
namespace {

using platform::VK_A;
using platform::VK_C;
using platform::VK_CONTROL;
using platform::VK_DELETE;
using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_F11;
using platform::VK_F12;
using platform::VK_F5;
using platform::VK_F6;
using platform::VK_F9;
using platform::VK_L;
using platform::VK_LBUTTON;
using platform::VK_LEFT;
using platform::VK_M;
using platform::VK_MBUTTON;
using platform::VK_NEXT;
using platform::VK_O;
using platform::VK_OEM_MINUS;
using platform::VK_OEM_PLUS;
using platform::VK_PAD_A;
using platform::VK_PAD_B;
using platform::VK_PAD_BACK;
using platform::VK_PAD_DOWN;
using platform::VK_PAD_LB;
using platform::VK_PAD_LEFT;
using platform::VK_PAD_RB;
using platform::VK_PAD_RIGHT;
using platform::VK_PAD_RT;
using platform::VK_PAD_START;
using platform::VK_PAD_UP;
using platform::VK_PAD_X;
using platform::VK_PAD_Y;
using platform::VK_PRIOR;
using platform::VK_R;
using platform::VK_RBUTTON;
using platform::VK_RETURN;
using platform::VK_RIGHT;
using platform::VK_S;
using platform::VK_SPACE;
using platform::VK_UP;

// Alt+Enter reaches the player as F11, so it needs no row of its own; a tap on a touch screen
// is a left click and a two-finger tap a right click.
constexpr KeyBinding kDefaultKeymap[] = {
    {VK_LBUTTON, Action::Advance},
    {VK_LBUTTON, Action::Click},
    {VK_RETURN, Action::Advance},
    {VK_PAD_A, Action::Advance},
    {VK_RBUTTON, Action::Toggle},
    {VK_SPACE, Action::Toggle},
    {VK_PAD_B, Action::Toggle},
    {VK_CONTROL, Action::Skip},
    {VK_PAD_RT, Action::Skip},
    {VK_PRIOR, Action::OlderPage},
    {VK_NEXT, Action::NewerPage},
    {VK_PAD_Y, Action::Backlog},
    {VK_PAD_LB, Action::BacklogOlder},
    {VK_PAD_RB, Action::BacklogNewer},
    {VK_UP, Action::MenuUp},
    {VK_PAD_UP, Action::MenuUp},
    {VK_DOWN, Action::MenuDown},
    {VK_PAD_DOWN, Action::MenuDown},
    {VK_LEFT, Action::MenuLeft},
    {VK_PAD_LEFT, Action::MenuLeft},
    {VK_RIGHT, Action::MenuRight},
    {VK_PAD_RIGHT, Action::MenuRight},
    {VK_A, Action::AutoMode},
    {VK_PAD_X, Action::AutoMode},
    {VK_R, Action::Rewind},
    {VK_S, Action::OpenSave},
    {VK_L, Action::OpenLoad},
    {VK_DELETE, Action::DeleteSlot},
    {VK_PAD_X, Action::Rewind},
    {VK_F11, Action::Fullscreen},
    {VK_PAD_START, Action::SystemMenu},
    {VK_MBUTTON, Action::SystemMenu},
    {VK_O, Action::Settings},
    {VK_C, Action::CopyText, true},
    {VK_M, Action::Mute},
    {VK_OEM_PLUS, Action::VolumeUp},
    {VK_OEM_MINUS, Action::VolumeDown},
    {VK_F12, Action::Screenshot},
    {VK_F5, Action::Reload},
    {VK_F6, Action::QuickSave},
    {VK_F9, Action::QuickLoad},
    {VK_ESCAPE, Action::Quit},
    {VK_PAD_BACK, Action::QuitHold},
};

}  // namespace

std::span<const KeyBinding> defaultKeymap() {
    return kDefaultKeymap;
}

}  // namespace tsuzuri
