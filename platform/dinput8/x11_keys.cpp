// Linux evdev codes 1 to 88 are the PC set-1 scan codes that DirectInput numbers
// its keys by; the extended (0xE0) keys and the Japanese keys sit elsewhere in
// evdev and have their codes here.
#include "dinput8/x11_keys.h"

#include <SDL_syswm.h>

#include "dinput8/dinput.h"

namespace nol::dinput8 {

namespace {

constexpr unsigned kEvdevOffset = 8;

struct Pair {
    unsigned evdev;
    int dik;
};

constexpr Pair kExtended[] = {
    {85, DIK_KANJI},       // zenkaku/hankaku
    {89, DIK_ABNT_C1},     // ro
    {90, DIK_KANA},        // katakana
    {91, DIK_KANA},        // hiragana
    {92, DIK_CONVERT},     // henkan
    {93, DIK_KANA},        // katakana/hiragana
    {94, DIK_NOCONVERT},   // muhenkan
    {96, DIK_NUMPADENTER},
    {97, DIK_RCONTROL},
    {98, DIK_DIVIDE},
    {99, DIK_SYSRQ},
    {100, DIK_RMENU},
    {102, DIK_HOME},
    {103, DIK_UP},
    {104, DIK_PRIOR},
    {105, DIK_LEFT},
    {106, DIK_RIGHT},
    {107, DIK_END},
    {108, DIK_DOWN},
    {109, DIK_NEXT},
    {110, DIK_INSERT},
    {111, DIK_DELETE},
    {117, DIK_NUMPADEQUALS},
    {119, DIK_PAUSE},
    {121, DIK_NUMPADCOMMA},
    {124, DIK_YEN},
    {125, DIK_LWIN},
    {126, DIK_RWIN},
    {127, DIK_APPS},
};

}  // namespace

int DikFromX11Keycode(unsigned keycode) {
    if (keycode < kEvdevOffset) return 0;
    const unsigned evdev = keycode - kEvdevOffset;
    if (evdev >= 1 && evdev <= 88 && evdev != 84 && evdev != 85) return static_cast<int>(evdev);
    for (const Pair& p : kExtended)
        if (p.evdev == evdev) return p.dik;
    return 0;
}

bool X11KeyOfEvent(const SDL_Event& event, int* dik, bool* down) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    if (x.type != KeyPress && x.type != KeyRelease) return false;
    *dik = DikFromX11Keycode(x.xkey.keycode);
    *down = x.type == KeyPress;
    return true;
}

}  // namespace nol::dinput8
