// The input-method functions over SDL's text input: contexts that start and stop
// it, the composition and result strings as the input method's events leave them,
// and the keys the input method takes, which DirectInput must still see. Events are
// injected into SDL's queue and taken by the real message pump.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dinput8/x11_keys.h"
#include "display_required.h"
#include "ime_events.h"
#include "imm/imm.h"
#include "input/input.h"
#include "shell/window.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

class Imm : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        Pump();
    }
    void TearDown() override {
        FreeInput();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    // The window messages the pump made of what was queued, dispatched.
    std::vector<MSG> Pump() {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg);
            DispatchMessageA(&msg);
        }
        return taken;
    }

    Uint32 WindowId() const { return SDL_GetWindowID(NolSdlWindow(mainWindow)); }

    void Editing(const char* utf8) { InjectEditing(mainWindow, utf8); }
    void Text(const char* utf8) { InjectText(mainWindow, utf8); }

    // An X key event as SDL hands it on before the input method sees the key.
    void XKey(int type, unsigned keycode) {
        SDL_SysWMmsg msg{};
        SDL_VERSION(&msg.version);
        msg.subsystem = SDL_SYSWM_X11;
        msg.msg.x11.event.type = type;
        msg.msg.x11.event.xkey.keycode = keycode;
        SDL_Event e{};
        e.type = SDL_SYSWMEVENT;
        e.syswm.msg = &msg;
        SDL_PushEvent(&e);  // copies the message
    }

    void SdlKey(Uint32 type, SDL_Scancode scancode) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = WindowId();
        e.key.keysym.scancode = scancode;
        SDL_PushEvent(&e);
    }

    static std::string String(HIMC himc, DWORD index) {
        const LONG n = ImmGetCompositionStringA(himc, index, nullptr, 0);
        if (n <= 0) return std::string();
        std::string s(size_t(n), '\0');
        EXPECT_EQ(ImmGetCompositionStringA(himc, index, s.data(), DWORD(n)), n);
        return s;
    }
};

constexpr unsigned kReturnKeycode = 36;  // evdev 28 + 8
constexpr unsigned kAKeycode = 38;

TEST_F(Imm, TextInputRunsWhileAnyContextIsHeldAndAReleasedHandleIsDead) {
    EXPECT_FALSE(SDL_IsTextInputActive()) << "the game's keys must not reach the input method";
    EXPECT_EQ(ImmGetContext(nullptr), nullptr);

    const HIMC first = ImmGetContext(mainWindow);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(SDL_IsTextInputActive());
    EXPECT_TRUE(ImmGetOpenStatus(first));
    const HIMC second = ImmGetContext(mainWindow);  // a window has one context
    EXPECT_EQ(second, first);
    EXPECT_TRUE(ImmReleaseContext(mainWindow, second));
    EXPECT_TRUE(SDL_IsTextInputActive()) << "one holder is left";
    EXPECT_EQ(ImmGetCompositionStringA(first, GCS_COMPSTR, nullptr, 0), 0);

    EXPECT_FALSE(ImmReleaseContext(nullptr, first)) << "not this window's";
    EXPECT_TRUE(ImmReleaseContext(mainWindow, first));
    EXPECT_FALSE(SDL_IsTextInputActive());

    // Every call on a dead or null handle fails quietly.
    EXPECT_FALSE(ImmGetOpenStatus(first));
    EXPECT_FALSE(ImmReleaseContext(mainWindow, first));
    EXPECT_EQ(ImmGetCompositionStringA(first, GCS_COMPSTR, nullptr, 0), IMM_ERROR_GENERAL);
    EXPECT_EQ(ImmGetCompositionStringA(nullptr, GCS_RESULTSTR, nullptr, 0), IMM_ERROR_GENERAL);
    CANDIDATEFORM form{0, CFS_CANDIDATEPOS, {10, 10}, {}};
    EXPECT_FALSE(ImmSetCandidateWindow(first, &form));
    // The next context is a new one: the old handle stays dead.
    const HIMC again = ImmGetContext(mainWindow);
    EXPECT_NE(again, first);
    EXPECT_EQ(ImmGetCompositionStringA(first, GCS_COMPSTR, nullptr, 0), IMM_ERROR_GENERAL);
    EXPECT_EQ(ImmGetCompositionStringA(again, 0x1234, nullptr, 0), IMM_ERROR_GENERAL);
    ImmReleaseContext(mainWindow, again);
}

TEST_F(Imm, TheCompositionAndTheResultArriveInCp932InEitherOrderOfTheInputMethodsSignals) {
    const HIMC himc = ImmGetContext(mainWindow);
    ASSERT_NE(himc, nullptr);

    Editing(U8(u8"にほんご"));
    Pump();
    EXPECT_EQ(ImmGetCompositionStringA(himc, GCS_COMPSTR, nullptr, 0), 8);
    EXPECT_EQ(String(himc, GCS_COMPSTR), "にほんご");
    EXPECT_EQ(String(himc, GCS_RESULTSTR), "");

    // IBus commits, then takes the composition away; the result also comes as
    // one WM_CHAR per byte.
    Editing(U8(u8"日本語"));
    Text(U8(u8"日本語"));
    Editing("");
    std::vector<WPARAM> chars;
    for (const MSG& m : Pump())
        if (m.message == WM_CHAR) chars.push_back(m.wParam);
    EXPECT_EQ(String(himc, GCS_RESULTSTR), "日本語");
    EXPECT_EQ(String(himc, GCS_COMPSTR), "");
    EXPECT_EQ(chars, (std::vector<WPARAM>{0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA}));

    // Typing with no composition around it is not a result (the input method
    // passed the key on: SDL sends its X event, the key and the text).
    XKey(KeyPress, kAKeycode);
    SdlKey(SDL_KEYDOWN, SDL_SCANCODE_A);
    Text("a");
    Pump();
    EXPECT_EQ(String(himc, GCS_RESULTSTR), "日本語");

    // A new composition empties the old result; here the composition goes first
    // and a long result comes in two parts.
    Editing(U8(u8"か"));
    Pump();
    EXPECT_EQ(String(himc, GCS_RESULTSTR), "");
    Editing("");
    Text(U8(u8"寿限無寿限無五劫の擦"));  // SDL's events hold 31 bytes of text
    Text(U8(u8"り切れ海砂利水魚"));
    Pump();
    EXPECT_EQ(String(himc, GCS_RESULTSTR), "寿限無寿限無五劫の擦り切れ海砂利水魚");

    // A composition SDL hands over whole because it is long (the text is the
    // program's to free).
    SDL_Event e{};
    e.type = SDL_TEXTEDITING_EXT;
    e.editExt.windowID = WindowId();
    e.editExt.text = SDL_strdup(U8(u8"じゅげむじゅげむごこうのすりきれかいじゃり"));
    SDL_PushEvent(&e);
    Pump();
    EXPECT_EQ(String(himc, GCS_COMPSTR), "じゅげむじゅげむごこうのすりきれかいじゃり");

    // A character CP932 has no code for becomes one mark.
    Editing(U8(u8"a😀b"));
    Pump();
    EXPECT_EQ(String(himc, GCS_COMPSTR), "a?b");
    ImmReleaseContext(mainWindow, himc);
}

TEST_F(Imm, ABufferTooShortTakesWholeCharactersOnly) {
    const HIMC himc = ImmGetContext(mainWindow);
    Editing(U8(u8"a日本"));
    Pump();
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ImmGetCompositionStringA(himc, GCS_COMPSTR, buffer, 4), 3);  // 'a' and 日, not half of 本
    EXPECT_EQ(std::string(buffer, 4), std::string("a日") + "#");
    EXPECT_EQ(ImmGetCompositionStringA(himc, GCS_COMPSTR, buffer, 2), 1);
    EXPECT_EQ(ImmGetCompositionStringA(himc, GCS_COMPSTR, buffer, sizeof buffer), 5);
    ImmReleaseContext(mainWindow, himc);
}

TEST_F(Imm, AKeyTheInputMethodTakesStillReachesDirectInputAndWaitsForItsAnswer) {
    ASSERT_EQ(InitDirectInput(), 1);
    const HIMC himc = ImmGetContext(mainWindow);

    // Return taken by the input method: no SDL_KEYDOWN follows its X event.
    XKey(KeyPress, kReturnKeycode);
    // The input method answers a moment later, from elsewhere.
    SDL_Event later{};
    later.type = SDL_TEXTEDITING;
    later.edit.windowID = WindowId();
    std::strcpy(later.edit.text, U8(u8"か"));
    std::thread answer([&later] {
        usleep(10000);
        SDL_PushEvent(&later);
    });
    const std::vector<MSG> taken = Pump();
    answer.join();
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_RETURN), KEY_PUSHED);
    EXPECT_EQ(String(himc, GCS_COMPSTR), "か") << "the key's frame must see the answer";
    bool processKey = false;
    for (const MSG& m : taken) processKey = processKey || (m.message == WM_KEYDOWN && m.wParam == VK_PROCESSKEY);
    EXPECT_TRUE(processKey);

    XKey(KeyRelease, kReturnKeycode);
    Pump();
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_RETURN), KEY_RELEASED);

    // A key the input method passes on comes both ways, once.
    XKey(KeyPress, kReturnKeycode);
    SdlKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    int processKeys = 0;
    for (const MSG& m : Pump()) processKeys += m.message == WM_KEYDOWN && m.wParam == VK_PROCESSKEY;
    EXPECT_EQ(processKeys, 0);
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_RETURN), KEY_PUSHED);

    // Focus gone, no key-up can come: the key is let go.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = WindowId();
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    Pump();
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_RETURN), KEY_RELEASED);
    ImmReleaseContext(mainWindow, himc);
}

TEST_F(Imm, AnInputMethodThatNeverAnswersHoldsThePumpOnlyBriefly) {
    ASSERT_EQ(InitDirectInput(), 1);
    // With no context no input method runs: a key without an SDL_KEYDOWN is one
    // SDL has no code for, not a key taken.
    XKey(KeyPress, kReturnKeycode);
    for (const MSG& m : Pump()) EXPECT_FALSE(m.message == WM_KEYDOWN && m.wParam == VK_PROCESSKEY);
    XKey(KeyRelease, kReturnKeycode);
    Pump();

    const HIMC himc = ImmGetContext(mainWindow);
    XKey(KeyPress, kReturnKeycode);
    const Uint32 start = SDL_GetTicks();
    Pump();
    EXPECT_LT(SDL_GetTicks() - start, 500u);
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_RETURN), KEY_PUSHED);
    ImmReleaseContext(mainWindow, himc);
}

// The X server's own keycodes, as the test's display maps its keys, land on the
// DirectInput codes of the same keys.
TEST_F(Imm, TheXServersKeycodesMapOntoDirectInputCodes) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const struct {
        KeySym sym;
        int dik;
    } keys[] = {{XK_Escape, DIK_ESCAPE}, {XK_Return, DIK_RETURN},   {XK_BackSpace, DIK_BACK},
                {XK_a, DIK_A},           {XK_8, DIK_8},             {XK_space, DIK_SPACE},
                {XK_F12, DIK_F12},       {XK_Left, DIK_LEFT},       {XK_Right, DIK_RIGHT},
                {XK_Up, DIK_UP},         {XK_Down, DIK_DOWN},       {XK_Delete, DIK_DELETE},
                {XK_Home, DIK_HOME},     {XK_End, DIK_END},         {XK_Prior, DIK_PRIOR},
                {XK_Next, DIK_NEXT},     {XK_KP_Enter, DIK_NUMPADENTER}, {XK_Control_R, DIK_RCONTROL},
                {XK_KP_Divide, DIK_DIVIDE}};
    for (const auto& k : keys) {
        const KeyCode code = XKeysymToKeycode(display, k.sym);
        ASSERT_NE(code, 0) << XKeysymToString(k.sym);
        EXPECT_EQ(nol::dinput8::DikFromX11Keycode(code), k.dik) << XKeysymToString(k.sym);
    }
    XCloseDisplay(display);
    EXPECT_EQ(nol::dinput8::DikFromX11Keycode(0), 0);
    EXPECT_EQ(nol::dinput8::DikFromX11Keycode(255), 0);
}

TEST_F(Imm, TheCandidateListIsPlacedInTheWindowAndInAFullScreenPicture) {
    const HIMC himc = ImmGetContext(mainWindow);
    CANDIDATEFORM form{0, CFS_EXCLUDE, {100, 50}, {100, 50, 116, 66}};
    EXPECT_TRUE(ImmSetCandidateWindow(himc, &form));
    form.dwIndex = 4;
    EXPECT_FALSE(ImmSetCandidateWindow(himc, &form));
    form.dwIndex = 0;
    form.dwStyle = 0x0001;  // CFS_RECT is for composition windows
    EXPECT_FALSE(ImmSetCandidateWindow(himc, &form));
    EXPECT_FALSE(ImmSetCandidateWindow(himc, nullptr));

    // A window's client area is its SDL window; a full-screen picture's client
    // area is the picture, here pillarboxed in an 800 x 480 window.
    EXPECT_EQ(nol::win32::ClientToSdlWindow(mainWindow, POINT{100, 50}).x, 100);
    SDL_SetWindowSize(NolSdlWindow(mainWindow), 800, 480);
    nol::win32::SetFullScreenPicture(mainWindow, 640, 480);
    const POINT p = nol::win32::ClientToSdlWindow(mainWindow, POINT{100, 50});
    EXPECT_EQ(p.x, 180);
    EXPECT_EQ(p.y, 50);
    nol::win32::SetFullScreenPicture(nullptr, 0, 0);
    ImmReleaseContext(mainWindow, himc);
}

}  // namespace
