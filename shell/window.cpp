// The main window and its procedure.
#include "shell/window.h"

#include "imm/imm.h"
#include "input/input.h"
#include "render/graphics_state.h"
#include "shell/log.h"
#include "shell/program_names.h"
#include "sound/media.h"

HWND mainWindow = nullptr;
int clientWidth = 0;
int clientHeight = 0;
int activeFlag = 0;

int InitWindow(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszMenuName = nullptr;
    const char* className = GetProgramNames().windowClass;
    wc.lpszClassName = className;
    wc.hIconSm = nullptr;
    RegisterClassExA(&wc);

    HWND hwnd = CreateWindowExA(0, className, "", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                GetDesktopWindow(), nullptr, instance, nullptr);
    if (!hwnd) return 0;
    mainWindow = hwnd;
    clientWidth = 640;
    clientHeight = 480;
    FitWindowToClient();
    activeFlag = 1;
    return 1;
}

void FitWindowToClient() {
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, (DWORD)GetWindowLongA(mainWindow, GWL_STYLE), GetMenu(mainWindow) != nullptr,
                       (DWORD)GetWindowLongA(mainWindow, GWL_EXSTYLE));
    SetWindowPos(mainWindow, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOVE:
            UpdateVideoWindow();
            return 0;
        case WM_SIZE:
            if (GraphicsState.windowed) {
                RECT rect;
                GetClientRect(hwnd, &rect);
                clientWidth = rect.right;
                clientHeight = rect.bottom;
                LogMessage("<クライアント領域 %d x %d>\n", clientWidth, clientHeight);
                UpdateVideoWindow();
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(mainWindow, &paint);
            EndPaint(mainWindow, &paint);
            return 0;
        }
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            activeFlag = (int)wParam;
            LogMessage(activeFlag ? "<アクティブ>\n" : "<非アクティブ>\n");
            return 0;
        case WM_DISPLAYCHANGE:
            LogMessage("<ディスプレイモードの変更>\n");
            return 0;
        case WM_CHAR:
            SetTypedChar((int)wParam);
            return 0;
        case WM_SYSCOMMAND:
            // Screen saver and monitor power-down stay off while the game runs.
            if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 1;
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        case WM_MEDIA_NOTIFY:
            OnMediaEvent();
            return 0;
        case WM_IME_SETCONTEXT:
            SendMessageA(ImmGetDefaultIMEWnd(hwnd), WM_CLOSE, 0, 0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void SetWindowTitle(const char* text) { SetWindowTextA(mainWindow, text); }

void CloseMainWindow() { SendMessageA(mainWindow, WM_CLOSE, 0, 0); }

void DestroyMainWindow() {
    if (!mainWindow) return;
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
}
