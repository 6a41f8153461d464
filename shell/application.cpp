// Start-up, the main loop and shutdown.
#include "shell/application.h"

#include "com/objbase.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "shell/frame_timer.h"
#include "shell/log.h"
#include "shell/program_names.h"
#include "shell/window.h"
#include "sound/music.h"
#include "sound/sound_device.h"

Application application;

namespace {

GameHooks game;

}  // namespace

void SetGameHooks(const GameHooks& hooks) { game = hooks; }

// Shutdown runs at process exit, whatever start-up achieved; the game's objects
// go after it, here rather than in a destructor of the game's own, whose turn
// would depend on the order in which the program was linked.
Application::~Application() {
    FreeApplication();
    if (game.release) game.release();
}

int CheckMultipleStart() {
    LogMessage("多重起動を禁止します.\n");
    application.mutex = CreateMutexA(nullptr, FALSE, GetProgramNames().instanceName);
    if (!application.mutex) {
        // Without a lock file no other copy can be detected either; refusing to
        // start would lock the player out for nothing.
        LogMessage("CheckMultipleStart: cannot create the mutex, not checked\n");
        return 1;
    }
    DWORD result = WaitForSingleObject(application.mutex, 0);
    if (result == WAIT_FAILED) {
        // Only a copy that holds the mutex means one is running; a lock that cannot
        // be taken at all says nothing of other copies.
        LogMessage("CheckMultipleStart: cannot lock the mutex, not checked\n");
        return 1;
    }
    return (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ? 1 : 0;
}

void ReleaseInstanceMutex() {
    if (!application.mutex) return;
    ReleaseMutex(application.mutex);
    CloseHandle(application.mutex);
    application.mutex = nullptr;
}

int InitApplication(HINSTANCE instance) {
    if (!CheckMultipleStart()) {
        MessageOk("このプログラムは既に起動しています.\n");
        return 0;
    }
    CoInitialize(nullptr);
    InitDebugStream();
    if (!InitWindow(instance)) return 0;
    if (!InitDirect3D()) return 0;
    if (!InitDirectInput()) return 0;
    if (!InitDirectSound()) return 0;
    if (!InitDirectMusic()) return 0;
    InitFrameTimer();
    application.frame = game.frame;
    return 1;
}

void FreeApplication() {
    FreeDirectMusic();
    FreeDirectSound();
    FreeInput();
    FreeDirect3D();
    DestroyMainWindow();
    CoUninitialize();
    ReleaseInstanceMutex();
}

int PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return 0;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}

int IsActive() { return activeFlag; }

void RunFrame() {
    UpdateInput();
    if (application.frame) application.frame();
    WaitFrame();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!InitApplication(instance)) return 0;
    if (game.start) game.start();
    for (;;) {
        if (!PumpMessages()) break;
        if (IsActive())
            RunFrame();
        else
            WaitMessage();
    }
    if (game.end) game.end();
    return 0;
}
