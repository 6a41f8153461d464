// Start-up, the main loop and shutdown.
#pragma once

#include "win32/windows.h"

struct Application {
    HANDLE mutex = nullptr;
    void (*frame)() = nullptr;
    ~Application();
};

extern Application application;

// The game as the shell sees it: hooks, which the program's entry point hands
// over before it enters WinMain. The shell knows nothing else of the game.
// A hook left null is skipped.
struct GameHooks {
    void (*start)() = nullptr;
    void (*frame)() = nullptr;
    void (*end)() = nullptr;
    // At process exit, once the shell's shutdown is done: the game frees what it
    // holds (its models and textures) after the devices have gone.
    void (*release)() = nullptr;
};

void SetGameHooks(const GameHooks& hooks);

int InitApplication(HINSTANCE instance);
void FreeApplication();
int CheckMultipleStart();
void ReleaseInstanceMutex();
int PumpMessages();
int IsActive();
void RunFrame();
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
