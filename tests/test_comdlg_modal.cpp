// A file dialog is modal over its owner: while the chooser is up the owner's keys,
// characters and clicks are neither input nor messages, a key held when it came up
// is let go, the owner's picture is put back when it is uncovered, and a request
// to end the program gives the chooser up at once. The owner is a real window with
// a real device; the chooser is the fake zenity, answered by a second thread once
// the owner's events have been taken.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"
#include "tests/comdlg_fixture.h"
#include "tests/d3d8_fixture.h"
#include "win32/sdl_bridge.h"

// Last: it brings X11's macros, which GoogleTest's headers must not meet.
#include <SDL_syswm.h>

using namespace comdlgtest;
using namespace d3dtest;

namespace {

struct Observed {
    std::vector<SDL_Scancode> downs, ups;
    int buttonDowns = 0, buttonUps = 0;
};

void Observe(const SDL_Event& e, void* context) {
    auto* seen = static_cast<Observed*>(context);
    if (e.type == SDL_KEYDOWN) seen->downs.push_back(e.key.keysym.scancode);
    if (e.type == SDL_KEYUP) seen->ups.push_back(e.key.keysym.scancode);
    if (e.type == SDL_MOUSEBUTTONDOWN) ++seen->buttonDowns;
    if (e.type == SDL_MOUSEBUTTONUP) ++seen->buttonUps;
}

bool Contains(const std::vector<SDL_Scancode>& codes, SDL_Scancode code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Waits until the owner's wait has taken every event off SDL's queue (looked at
// only: events are pumped on the window's own thread).
bool QueueTaken(int timeoutMs) {
    for (int waited = 0; waited < ScaledMs(timeoutMs); waited += 5) {
        if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0) return true;
        SDL_Delay(5);
    }
    return false;
}

class ComdlgModal : public D3DTest {
protected:
    FakeChoosers choosers;
    TempDir files;
    ScopedEnv path{"PATH", choosers.bin.path.c_str()};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", files.path.c_str()};
    Observed seen;

    void SetUp() override {
        D3DTest::SetUp();
        if (!Ready()) return;
        ShowWindow(window, SW_SHOW);
        CreateDevice();
        choosers.Install("zenity");
        std::ofstream(files.File("chosen.txt")) << "x";
        Flush();
        NolAddSdlEventObserver(Observe, &seen);
    }

    void TearDown() override {
        NolRemoveSdlEventObserver(Observe, &seen);
        D3DTest::TearDown();
    }

    // Every message so far handled: the test starts from an empty queue.
    static std::vector<UINT> Flush() {
        std::vector<UINT> messages;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) messages.push_back(msg.message);
        return messages;
    }

    Uint32 WindowId() const { return SDL_GetWindowID(NolSdlWindow(window)); }

    OPENFILENAMEA Owned(char* file, DWORD size) const {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = window;
        ofn.lpstrFile = file;
        ofn.nMaxFile = size;
        return ofn;
    }

    void Push(SDL_Event e) { SDL_PushEvent(&e); }

    SDL_Event Key(Uint32 type, SDL_Scancode code) const {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = WindowId();
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = code;
        e.key.keysym.sym = SDL_GetKeyFromScancode(code);
        return e;
    }

    SDL_Event WindowEvent(Uint8 what) const {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = WindowId();
        e.window.event = what;
        return e;
    }
};

TEST_F(ComdlgModal, TheOwnerGetsNoInputKeepsItsPictureAndLetsGoOfHeldKeys) {
    ASSERT_TRUE(NolD3D8CapturePresents(device, true));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // The back buffer as it stands is what goes back into the window.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    // A held at the moment the dialog comes up.
    NolObserveSdlEvent(Key(SDL_KEYDOWN, SDL_SCANCODE_A));

    std::thread user([&] {
        // Answered in any case, so that a failure here cannot leave the call waiting.
        EXPECT_FALSE(choosers.Arguments("zenity").empty()) << "the chooser did not start";
        Push(Key(SDL_KEYDOWN, SDL_SCANCODE_B));
        SDL_Event text{};
        text.type = SDL_TEXTINPUT;
        text.text.windowID = WindowId();
        std::strcpy(text.text.text, "b");
        Push(text);
        SDL_Event click{};
        click.type = SDL_MOUSEBUTTONDOWN;
        click.button.windowID = WindowId();
        click.button.button = SDL_BUTTON_LEFT;
        click.button.state = SDL_PRESSED;
        Push(click);
        Push(WindowEvent(SDL_WINDOWEVENT_EXPOSED));
        Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
        EXPECT_TRUE(QueueTaken(5000));
        choosers.Answer("zenity", 1, files.File("chosen.txt"), 0);
    });
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Owned(file, sizeof file);
    const BOOL chosen = GetOpenFileNameA(&ofn);
    user.join();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(std::string(file), files.File("chosen.txt"));

    // The chooser was told whose dialog it is.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(NolSdlWindow(window), &info));
    const std::vector<std::string> args = choosers.Arguments("zenity");
    EXPECT_NE(std::find(args.begin(), args.end(), "--attach=" + std::to_string(info.info.x11.window)), args.end());

    // No press reached the input state; A is up again, and no button is down.
    EXPECT_EQ(seen.downs, std::vector<SDL_Scancode>{SDL_SCANCODE_A});
    EXPECT_TRUE(Contains(seen.ups, SDL_SCANCODE_A));
    EXPECT_EQ(seen.buttonDowns, 0);
    EXPECT_GE(seen.buttonUps, 1);
    // The exposure put the back buffer into the window again.
    std::vector<uint32_t> shown;
    UINT w = 0, h = 0;
    ASSERT_TRUE(NolD3D8LastPresented(device, &shown, &w, &h));
    EXPECT_EQ(shown.at(size_t(h / 2) * w + w / 2), 0xFF0000FFu);
    // No key or character message; the focus change waited and comes now.
    const std::vector<UINT> messages = Flush();
    for (UINT m : messages) {
        EXPECT_NE(m, UINT(WM_KEYDOWN));
        EXPECT_NE(m, UINT(WM_CHAR));
    }
    EXPECT_NE(std::find(messages.begin(), messages.end(), UINT(WM_ACTIVATEAPP)), messages.end());
}

TEST_F(ComdlgModal, AQuitRequestOrTheOwnerClosingGivesTheChooserUpAndStillEndsTheProgram) {
    for (const bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "quit request" : "owner closed");
        const int run = quit ? 1 : 2;
        std::thread user([&] {
            EXPECT_FALSE(choosers.Arguments("zenity", run).empty()) << "the chooser did not start";
            if (quit) {
                SDL_Event e{};
                e.type = SDL_QUIT;
                Push(e);
            } else {
                Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
            }
        });
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn = Owned(file, sizeof file);
        // Never answered: only the request to end can bring the call back.
        const BOOL chosen = GetOpenFileNameA(&ofn);
        user.join();
        EXPECT_FALSE(chosen);
        EXPECT_EQ(CommDlgExtendedError(), 0u);
        // The chooser was ended and reaped, not left behind.
        const int pid = choosers.Pid("zenity", run);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(kill(pid, 0), -1);
        EXPECT_EQ(errno, ESRCH);
        // The request is still there for the program's own loop.
        if (quit) {
            SDL_PumpEvents();
            EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1);
            SDL_FlushEvent(SDL_QUIT);
        } else {
            const std::vector<UINT> messages = Flush();
            EXPECT_NE(std::find(messages.begin(), messages.end(), UINT(WM_CLOSE)), messages.end());
        }
    }
}

}  // namespace
