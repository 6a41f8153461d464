// The main window: its handle, client size and active flag, and its procedure.
// The four records are written by the functions below and the procedure only.
#pragma once

#include "win32/windows.h"

extern HWND mainWindow;
extern int clientWidth;
extern int clientHeight;
extern int activeFlag;

int InitWindow(HINSTANCE instance);
void FitWindowToClient();
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SetWindowTitle(const char* text);
void CloseMainWindow();
// Destroys the window, if there is one; mainWindow is null afterwards.
void DestroyMainWindow();
