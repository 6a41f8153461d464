// The shell runs whatever game the entry point hands it, in-process: WinMain with
// hooks that record their calls.
#include <SDL.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "com/class_registry.h"
#include "dsound8/dsound_test_hooks.h"
#include "com/objbase.h"
#include "d3d8/d3d8_test_hooks.h"
#include "d3d8_fakes.h"
#include "dinput8/dinput_test_hooks.h"
#include "dmusic/dmusici.h"
#include "render/graphics_state.h"
#include "shell/application.h"
#include "shell/frame_timer.h"
#include "sound/sound_device.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"

namespace {

std::vector<std::string> calls;

void Start() { calls.push_back("start"); }

void Frame() {
    calls.push_back("frame");
    // The third frame asks the window to close, as the close key would.
    if (std::count(calls.begin(), calls.end(), "frame") == 3) CloseMainWindow();
}

void End() { calls.push_back("end"); }

// Should the hooks never close the window, a quit request from outside ends the
// loop, so that the test fails instead of hanging. (No <chrono>: its micro
// suffix has no CP932 spelling.)
class Watchdog {
public:
    explicit Watchdog(int limitMs)
        : thread_([this, limitMs] {
              for (int waited = 0; waited < limitMs; waited += 50) {
                  if (finished_) return;
                  usleep(50000);
              }
              SDL_Event quit{};
              quit.type = SDL_QUIT;
              SDL_PushEvent(&quit);
          }) {}
    ~Watchdog() {
        finished_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Whether another process could take the lock file now (util-linux flock).
bool LockFree(const std::string& path) { return RunProcess("/usr/bin/flock", {"-n", path, "true"}).exitCode == 0; }

// Waits up to two seconds for the lock file to become free (or held).
void WaitForLock(const std::string& path, bool free) {
    for (int i = 0; i < 200 && LockFree(path) != free; ++i) usleep(10000);
}

// A display and a lock directory of the test's own, and the program's switches:
// no other test's window can take the focus and no running copy blocks start-up.
void RunPrivately(const PrivateDisplay& display, const TempDir& dir) {
    setenv("DISPLAY", display.name.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    static char arg0[] = "nolrace", arg1[] = "-win";
    static char* argv[] = {arg0, arg1, nullptr};
    SetCommandLineArgs(2, argv);
}

// Only a mutex held by another copy means a copy is running. A lock that cannot be
// taken at all, or a mutex that cannot be made, lets the program start and says why.
TEST(Application, OnlyAHeldMutexStopsStartUp) {
    TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    testing::internal::CaptureStderr();
    NolFailNamedMutexLocks(true);
    EXPECT_EQ(CheckMultipleStart(), 1);
    NolFailNamedMutexLocks(false);
    ReleaseInstanceMutex();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("cannot lock its file"), std::string::npos) << log;
    EXPECT_NE(log.find("CheckMultipleStart: cannot lock the mutex, not checked"), std::string::npos) << log;

    // Held by another process: refused.
    // flock holds the lock (-o: not its child, sleep) until it is killed; both go,
    // as a group, so that no sleep outlives the test.
    int pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setpgid(0, 0);
        execl("/usr/bin/flock", "flock", "-o", dir.File("nol mutex.lock").c_str(), "sleep", "30", (char*)nullptr);
        _exit(127);
    }
    WaitForLock(dir.File("nol mutex.lock"), false);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CheckMultipleStart(), 0);
    testing::internal::GetCapturedStderr();
    ReleaseInstanceMutex();
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // However the killed group ends, the lock is free only once the kernel has
    // closed its last descriptor: wait until the file can be locked again.
    WaitForLock(dir.File("nol mutex.lock"), true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CheckMultipleStart(), 1);  // free again once the holder has gone
    testing::internal::GetCapturedStderr();
    ReleaseInstanceMutex();
}

TEST(Application, WinMainRunsTheHandedOverHooksAroundTheLoop) {
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    RunPrivately(display, dir);  // a window that loses the focus would stop the loop

    SetGameHooks(GameHooks{Start, Frame, End});
    EXPECT_EQ(application.frame, nullptr);
    testing::internal::CaptureStderr();
    int result = -1;
    {
        Watchdog watchdog(ScaledMs(10000));
        result = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    }
    std::string log = testing::internal::GetCapturedStderr();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"start", "frame", "frame", "frame", "end"})) << log;
    // Start-up ended by making the game's frame hook the per-frame callback.
    EXPECT_EQ(application.frame, &Frame);
    // Shut down while this test's display still exists.
    FreeApplication();
}

// ---- start-up order and what a failure skips ----------------------------------------

// Each subsystem's creation, as the shell reached it, with what already existed.
std::vector<std::string> started;
FakeDirect3D* direct3d = nullptr;  // null: Direct3D cannot be made
bool inputFails = false;

IDirect3D8* CreateDirect3D(UINT) {
    started.push_back(std::string("d3d") + (mainWindow && IsWindow(mainWindow) ? "+window" : ""));
    return direct3d;
}

HRESULT CreateDirectInput(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer);
HRESULT CreateDirectInput(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
    started.push_back(std::string("input") + (GraphicsState.device ? "+device" : ""));
    if (inputFails) {
        *out = nullptr;
        return DIERR_GENERIC;
    }
    NolSetDirectInputCreateHook(nullptr);  // the real object
    HRESULT hr = DirectInput8Create(instance, version, iid, out, outer);
    NolSetDirectInputCreateHook(CreateDirectInput);
    return hr;
}

HRESULT RefuseLoader(REFIID, void** object) {
    started.push_back(std::string("music") + (SoundState.directSound ? "+sound" : ""));
    *object = nullptr;
    return E_FAIL;
}

int boxesShown = 0;
int CountBox(HWND, LPCSTR, LPCSTR, UINT) {
    ++boxesShown;
    return IDOK;
}

class StartUp : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;
    std::unique_ptr<FakeDirect3D> fake = std::make_unique<FakeDirect3D>();

    void SetUp() override {
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        RunPrivately(display, dir);
        SetGameHooks(GameHooks{Start, Frame, End});
        NolSetMessageBoxAnswerer(CountBox);
        NolD3D8SetCreateHook(CreateDirect3D);
        NolSetDirectInputCreateHook(CreateDirectInput);
        nol::com::ComOverrideClass(CLSID_DirectMusicLoader, RefuseLoader);
        NolUseFakeClock(true, 5000);  // a started frame timer would read 5000
        direct3d = fake.get();
        started.clear();
        boxesShown = 0;
        inputFails = false;
    }
    void TearDown() override {
        FreeApplication();  // safe however far start-up came
        NolD3D8SetCreateHook(nullptr);
        NolSetDirectInputCreateHook(nullptr);
        nol::com::ComOverrideClass(CLSID_DirectMusicLoader, nullptr);
        NolSetMessageBoxAnswerer(nullptr);
        NolUseFakeClock(false);
        NolDirectSoundFailCreation(false);
    }

    int Init() {
        testing::internal::CaptureStderr();
        int result = InitApplication(GetModuleHandleA(nullptr));
        testing::internal::GetCapturedStderr();
        return result;
    }
    bool MutexFree() const { return LockFree(dir.File("nol mutex.lock")); }
};

TEST_F(StartUp, EachSubsystemFindsTheOneBeforeItAndTheLastFailureStopsTheTimer) {
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(started, (std::vector<std::string>{"d3d+window", "input+device", "music+sound"}));
    EXPECT_EQ(application.frame, nullptr);
    EXPECT_EQ(frameTimer.frameStart, 0u);
}

TEST_F(StartUp, NoWindowMeansNothingAfterIt) {
    // Nowhere to open a window: the video system starts afresh on a display that
    // does not exist.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    setenv("DISPLAY", ":65534", 1);
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(started, std::vector<std::string>{});  // not even Direct3D was asked
    EXPECT_EQ(SoundState.directSound, nullptr);
    EXPECT_EQ(application.frame, nullptr);
    EXPECT_EQ(frameTimer.frameStart, 0u);
}

TEST_F(StartUp, NoSoundMeansNoMusic) {
    NolDirectSoundFailCreation(true);
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(started, (std::vector<std::string>{"d3d+window", "input+device"}));
    EXPECT_EQ(SoundState.directSound, nullptr);
    EXPECT_EQ(boxesShown, 1);  // the sound device's own message, nothing added
    EXPECT_EQ(application.frame, nullptr);
    EXPECT_EQ(frameTimer.frameStart, 0u);
}

TEST_F(StartUp, NoDirect3DMeansNoInputSoundOrMusic) {
    direct3d = nullptr;
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(started, (std::vector<std::string>{"d3d+window"}));
    EXPECT_EQ(SoundState.directSound, nullptr);
    EXPECT_EQ(boxesShown, 1);  // Direct3D's own message, nothing added
    EXPECT_EQ(application.frame, nullptr);
}

TEST_F(StartUp, NoInputMeansNoSoundOrMusic) {
    inputFails = true;
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(started, (std::vector<std::string>{"d3d+window", "input+device"}));
    EXPECT_EQ(SoundState.directSound, nullptr);
    EXPECT_EQ(application.frame, nullptr);
}

// What still held when the main window was destroyed.
struct AtWindowDestroyed {
    bool seen = false;
    bool comInitialised = false;
    bool mutexHeld = false;
    bool deviceGone = false;
};
bool mutexHeldAtComEnd = false;
AtWindowDestroyed atDestroy;
WNDPROC shellProc = nullptr;
std::string lockFile;

LRESULT CALLBACK WatchDestroy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        atDestroy.seen = true;
        atDestroy.comInitialised = CoInitialize(nullptr) == S_FALSE;  // not the first
        CoUninitialize();
        atDestroy.mutexHeld = !LockFree(lockFile);
        atDestroy.deviceGone = GraphicsState.device == nullptr;
    }
    return CallWindowProcA(shellProc, hwnd, msg, wParam, lParam);
}

TEST_F(StartUp, ShutdownEndsWithTheWindowComAndTheInstanceGuard) {
    Init();
    const HWND window = mainWindow;
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(IsWindow(window));
    ASSERT_FALSE(MutexFree());  // held by this copy while it runs
    // The window goes after the devices, while COM and the guard are still there.
    lockFile = dir.File("nol mutex.lock");
    shellProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)&WatchDestroy));
    ASSERT_NE(shellProc, nullptr);
    // COM goes before the guard is let go.
    nol::com::ComSetUninitializeHook(
        [] { mutexHeldAtComEnd = !LockFree(lockFile); });
    testing::internal::CaptureStderr();
    FreeApplication();
    testing::internal::GetCapturedStderr();
    nol::com::ComSetUninitializeHook(nullptr);
    EXPECT_TRUE(mutexHeldAtComEnd);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_EQ(GraphicsState.device, nullptr);
    EXPECT_TRUE(fake->released);
    // COM is back to uninitialised: the next CoInitialize is the first again.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
    EXPECT_EQ(application.mutex, nullptr);
    EXPECT_TRUE(MutexFree());
    EXPECT_TRUE(atDestroy.seen);
    EXPECT_TRUE(atDestroy.deviceGone);
    EXPECT_TRUE(atDestroy.comInitialised);
    EXPECT_TRUE(atDestroy.mutexHeld);
}

}  // namespace
