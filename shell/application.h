// Start-up, the main loop and shutdown.
#pragma once

#include "win32/windows.h"

struct Application {
    HANDLE mutex = nullptr;
    void (*frame)() = nullptr;
    ~Application();
};

extern Application application;

int InitApplication(HINSTANCE instance);
void FreeApplication();
int CheckMultipleStart();
void ReleaseInstanceMutex();
int PumpMessages();
int IsActive();
void RunFrame();
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
