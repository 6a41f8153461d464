// The main window and its procedure, on a real (virtual) display.
#include <gtest/gtest.h>

#include "display_required.h"
#include "input/input.h"
#include "render/graphics_state.h"
#include "shell/application.h"
#include "shell/log.h"
#include "shell/window.h"
#include "win32/sdl_bridge.h"

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
};

TEST_F(WindowTest, ClientAreaIs640By480AndTheWindowStartsHiddenAndActive) {
    RECT client;
    ASSERT_TRUE(GetClientRect(mainWindow, &client));
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_EQ(clientWidth, 640);
    EXPECT_EQ(clientHeight, 480);
    int w = 0, h = 0;
    SDL_GetWindowSize(NolSdlWindow(mainWindow), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_FALSE(IsWindowVisible(mainWindow));
    EXPECT_EQ(activeFlag, 1);
    EXPECT_EQ(GetWindowLongA(mainWindow, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

// The class as it was registered: no extra bytes, no style, the program's own
// window procedure and instance, the system arrow and the stock black brush.
TEST_F(WindowTest, TheWindowClassIsRegisteredWithItsFields) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    ASSERT_NE(GetClassInfoExA(instance, "NOL_CLASS", &wc), 0);
    EXPECT_STREQ(wc.lpszClassName, "NOL_CLASS");
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.lpfnWndProc, &WndProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_EQ(wc.hInstance, instance);
    EXPECT_EQ(wc.hIcon, LoadIconA(instance, MAKEINTRESOURCEA(101)));
    EXPECT_EQ(wc.hIconSm, nullptr);
    EXPECT_NE(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(wc.hbrBackground, nullptr);
    EXPECT_EQ(wc.hbrBackground, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_NE(wc.hbrBackground, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(wc.lpszMenuName, nullptr);
    // The window made from it: the class, no extended style, an empty title, no menu.
    EXPECT_EQ(GetWindowLongA(mainWindow, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetMenu(mainWindow), nullptr);
    char title[8] = "x";
    EXPECT_EQ(GetWindowTextA(mainWindow, title, sizeof title), 0);
    EXPECT_STREQ(title, "");
    EXPECT_EQ(GetClassInfoExA(instance, "NO_SUCH_CLASS", &wc), 0);
}

// Before the first frame is drawn, the window shows its class's black background,
// not whatever was on the screen beneath it. Read from the screen itself.
TEST_F(WindowTest, TheWindowIsBlackBeforeAnythingIsDrawn) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(NolSdlWindow(mainWindow), &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    Display* display = info.info.x11.display;
    ::Window window = info.info.x11.window;
    // Something white beneath, which shows through a window that paints nothing.
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XSetWindowAttributes under{};
    under.override_redirect = True;
    under.background_pixel = WhitePixel(display, DefaultScreen(display));
    ::Window white = XCreateWindow(display, DefaultRootWindow(display), x, y, 640, 480, 0, CopyFromParent,
                                   InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &under);
    XMapWindow(display, white);
    XSync(display, False);
    SDL_Delay(50);
    ShowWindow(mainWindow, SW_SHOW);
    XWindowAttributes attributes{};
    for (int i = 0; i < 200; ++i) {
        XSync(display, False);
        if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) break;
        SDL_Delay(10);
    }
    ASSERT_EQ(attributes.map_state, IsViewable);
    XLowerWindow(display, white);
    SDL_Delay(100);  // let the server paint the exposed window
    XSync(display, False);
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 640, 480, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int notBlack = 0;
    for (int py = 0; py < 480; py += 4)
        for (int px = 0; px < 640; px += 4)
            if (XGetPixel(image, px, py) != BlackPixel(display, DefaultScreen(display))) ++notBlack;
    XDestroyImage(image);
    XDestroyWindow(display, white);
    XSync(display, False);
    EXPECT_EQ(notBlack, 0);
}

TEST_F(WindowTest, ActivationIsLoggedAndSetsTheActiveFlag) {
    testing::internal::CaptureStderr();
    SendMessageA(mainWindow, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(IsActive(), 0);
    SendMessageA(mainWindow, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(IsActive(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              reinterpret_cast<const char*>(u8"<非アクティブ>\n<アクティブ>\n"));

    // SDL focus events arrive as WM_ACTIVATEAPP through the pump.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(NolSdlWindow(mainWindow));
    e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    testing::internal::CaptureStderr();
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(IsActive(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              reinterpret_cast<const char*>(u8"<アクティブ>\n<非アクティブ>\n"));
}

TEST_F(WindowTest, ResizingUpdatesTheClientSizeOnlyInAWindow) {
    GraphicsState.windowed = 0;
    SetWindowPos(mainWindow, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(clientWidth, 640);  // full screen: WM_SIZE changes nothing
    EXPECT_EQ(clientHeight, 480);

    GraphicsState.windowed = 1;
    testing::internal::CaptureStderr();
    RECT outer{0, 0, 800, 600};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetWindowPos(mainWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(clientWidth, 800);
    EXPECT_EQ(clientHeight, 600);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              reinterpret_cast<const char*>(u8"<クライアント領域 800 x 600>\n"));

    clientWidth = 640;
    clientHeight = 480;
    FitWindowToClient();
    RECT client;
    GetClientRect(mainWindow, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    GraphicsState.windowed = 0;
}

TEST_F(WindowTest, ScreenSaverAndMonitorPowerAreBlocked) {
    EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
    EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 1);
    EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, 0xF020 /* SC_MINIMIZE */, 0), 0);
    ShowWindow(mainWindow, SW_SHOW);  // asks the procedure, which keeps the saver off
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

TEST_F(WindowTest, CloseEndsThePumpEvenWithMessagesQueuedBehindTheQuit) {
    CloseMainWindow();
    PostMessageA(mainWindow, WM_CHAR, 'a', 0);
    EXPECT_EQ(PumpMessages(), 0);
    EXPECT_TRUE(IsWindow(mainWindow));  // the window stays until shutdown
    EXPECT_EQ(GetTypedChar(), 0);      // the character behind the quit was not dispatched
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_CHAR);

    // The window manager's close button takes the same path.
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(NolSdlWindow(mainWindow));
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    EXPECT_EQ(PumpMessages(), 0);
}

TEST_F(WindowTest, TypedTextArrivesAsOneCodePageBytePerCharMessage) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = SDL_GetWindowID(NolSdlWindow(mainWindow));
    std::strcpy(e.text.text, reinterpret_cast<const char*>(u8"aあ"));
    SDL_PushEvent(&e);
    std::vector<WPARAM> chars;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_CHAR) chars.push_back(msg.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 0x82, 0xA0}));

    // Dispatched, each byte reaches the typed-character store sign-extended.
    SendMessageA(mainWindow, WM_CHAR, 0x82, 0);
    EXPECT_EQ(GetTypedChar(), -126);
    EXPECT_EQ(GetTypedChar(), 0);
}

TEST_F(WindowTest, ReturnKeyBecomesACharacterThroughTranslateMessage) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(NolSdlWindow(mainWindow));
    e.key.keysym.scancode = SDL_SCANCODE_RETURN;
    e.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&e);
    EXPECT_EQ(PumpMessages(), 1);
    EXPECT_EQ(GetTypedChar(), '\r');
}

}  // namespace
