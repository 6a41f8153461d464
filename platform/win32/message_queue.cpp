// The thread's message queue. Posted messages and the quit message are kept in
// one FIFO; SDL events are turned into window messages and appended as the
// queue is read. Windows and their procedures are window.cpp's: the queue looks
// them up there and hands messages over through DispatchMessageA, never the
// other way round.
#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include <SDL_syswm.h>

#include "base/codepage.h"
#include "win32/cross_thread_post.h"
#include "win32/process_static.h"
#include "win32/sdl_bridge.h"
#include "win32/window_internal.h"

namespace {

// The program's shutdown runs from a static destructor and still posts, sends and
// unregisters.
constinit nol::win32::ProcessStatic<std::deque<MSG>> queue;
constinit nol::win32::ProcessStatic<std::vector<std::pair<NolSdlEventObserver, void*>>> observers;

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    queue->push_back(msg);
}

bool PaintQueued(HWND hwnd) {
    return std::any_of(queue->begin(), queue->end(),
                       [&](const MSG& m) { return m.hwnd == hwnd && m.message == WM_PAINT; });
}

// The virtual-key code of the keys whose WM_KEYDOWN TranslateMessage turns into
// a character, and of the letters and digits; 0 for the rest.
WPARAM VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    switch (key) {
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return 0x20;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        default: return 0;
    }
}

// SDL reports focus changes only, so every one is an activation change.
void SetAppActive(HWND hwnd, bool active) {
    NolSetActiveWindow(active ? hwnd : nullptr);
    Post(hwnd, WM_ACTIVATEAPP, active ? 1 : 0, 0);
    if (active) NolAskScreenSaver(hwnd);
}

void TranslateWindowEvent(HWND hwnd, const SDL_WindowEvent& e) {
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE: Post(hwnd, WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: SetAppActive(hwnd, true); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: SetAppActive(hwnd, false); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (e.data1 != hwnd->clientWidth || e.data2 != hwnd->clientHeight) {
                hwnd->clientWidth = e.data1;
                hwnd->clientHeight = e.data2;
                Post(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(e.data1, e.data2));
            }
            break;
        case SDL_WINDOWEVENT_MOVED:
            if (e.data1 != hwnd->clientX || e.data2 != hwnd->clientY) {
                hwnd->clientX = e.data1;
                hwnd->clientY = e.data2;
                Post(hwnd, WM_MOVE, 0, MAKELPARAM(e.data1, e.data2));
            }
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            if (!PaintQueued(hwnd)) Post(hwnd, WM_PAINT, 0, 0);
            break;
        case SDL_WINDOWEVENT_DISPLAY_CHANGED: Post(hwnd, WM_DISPLAYCHANGE, 0, 0); break;
        default: break;
    }
}

HWND TargetOf(Uint32 windowId) {
    HWND hwnd = NolWindowFromSdlId(windowId);
    return hwnd ? hwnd : NolFirstWindow();
}

// A key the X server delivered that SDL has not yet turned into SDL_KEYDOWN. SDL
// sends the X event (SDL_SYSWMEVENT) before it asks the input method, and the
// key's SDL_KEYDOWN right after it unless the input method took the key. A taken
// key reaches the window as WM_KEYDOWN with VK_PROCESSKEY, as the original's
// input method hands it on.
HWND keyAwaitingSdl = nullptr;
// Set once the input method took a key, until its text (the composition or a
// result) arrives.
bool imeAnswerAwaited = false;
// IBus engines answer some keys a moment after taking them (Anthy updates its
// composition when idle, a millisecond or two later); the key's frame must see
// the answer, as the original's input method answers before the frame reads the
// keyboard. An input method that sends nothing back costs this much once.
constexpr Uint32 kImeAnswerMs = 50;

bool IsX11KeyPress(const SDL_Event& event) {
    const SDL_SysWMmsg* m = event.syswm.msg;
    return m && m->subsystem == SDL_SYSWM_X11 && m->msg.x11.event.type == KeyPress;
}

void SettleAwaitedKey(const SDL_Event* next) {
    if (!keyAwaitingSdl) return;
    // Only an input method running (text input on) takes keys; any other key
    // without an SDL_KEYDOWN is one SDL has no code for.
    if ((!next || next->type != SDL_KEYDOWN) && SDL_IsTextInputActive()) {
        Post(keyAwaitingSdl, WM_KEYDOWN, VK_PROCESSKEY, 0);
        imeAnswerAwaited = true;
    }
    keyAwaitingSdl = nullptr;
}

void Translate(const SDL_Event& event) {
    NolObserveSdlEvent(event);
    SettleAwaitedKey(&event);
    if (event.type == SDL_TEXTEDITING || event.type == SDL_TEXTEDITING_EXT || event.type == SDL_TEXTINPUT)
        imeAnswerAwaited = false;
    switch (event.type) {
        case SDL_QUIT:
            // Raised by SIGINT and SIGTERM: ask the main window to close, as its
            // close button would; with no window the program just quits.
            if (HWND hwnd = NolFirstWindow())
                Post(hwnd, WM_CLOSE, 0, 0);
            else
                PostQuitMessage(0);
            break;
        case SDL_WINDOWEVENT:
            if (HWND hwnd = NolWindowFromSdlId(event.window.windowID))
                TranslateWindowEvent(hwnd, event.window);
            break;
        case SDL_DISPLAYEVENT:
            if (HWND hwnd = NolFirstWindow()) Post(hwnd, WM_DISPLAYCHANGE, 0, 0);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (HWND hwnd = TargetOf(event.key.windowID))
                Post(hwnd, event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP,
                     VirtualKey(event.key.keysym.sym), 0);
            break;
        case SDL_TEXTINPUT:
            // One WM_CHAR per byte of the program's code page, as the original sends
            // the two halves of a double-byte character (an input method's result
            // too). The input contexts have seen the event already, as observers.
            if (HWND hwnd = TargetOf(event.text.windowID))
                for (unsigned char c : nol::base::Utf8ToCp932(event.text.text)) Post(hwnd, WM_CHAR, c, 0);
            break;
        case SDL_TEXTEDITING_EXT:
            SDL_free(event.editExt.text);  // the observers are done with it; the program owns it
            break;
        case SDL_SYSWMEVENT:
            if (IsX11KeyPress(event)) keyAwaitingSdl = GetActiveWindow() ? GetActiveWindow() : NolFirstWindow();
            break;
        default: break;
    }
}

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd && m.hwnd != hwnd) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

}  // namespace

void NolAddSdlEventObserver(NolSdlEventObserver observer, void* context) {
    observers->emplace_back(observer, context);
}

void NolRemoveSdlEventObserver(NolSdlEventObserver observer, void* context) {
    std::erase(*observers, std::make_pair(observer, context));
}

void NolObserveSdlEvent(const SDL_Event& event) {
    for (auto& [observer, context] : std::vector(*observers)) observer(event, context);
}

void NolDrainSdlEvents() {
    // Posts of other threads join the queue here, on its own thread; a window
    // destroyed since takes none.
    for (const MSG& m : nol::win32::TakeOtherThreadPosts())
        if (!m.hwnd || NolIsLiveWindow(m.hwnd)) queue->push_back(m);
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) Translate(event);
    SettleAwaitedKey(nullptr);
    // Polled rather than waited for: SDL's wait wakes for the X server only, not
    // for the input method's messages.
    const Uint32 deadline = SDL_GetTicks() + kImeAnswerMs;
    while (imeAnswerAwaited && !SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) {
        SDL_Delay(1);
        while (SDL_PollEvent(&event)) Translate(event);
        SettleAwaitedKey(nullptr);
    }
    imeAnswerAwaited = false;
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    NolDrainSdlEvents();
    for (auto it = queue->begin(); it != queue->end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (removeMsg & PM_REMOVE) queue->erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    while (!PeekMessageA(msg, hwnd, filterMin, filterMax, PM_REMOVE)) WaitMessage();
    return msg->message != WM_QUIT;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    switch (msg->wParam) {
        case VK_BACK:
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE: {
            // The character comes next, before anything queued after the key.
            MSG ch = *msg;
            ch.message = WM_CHAR;
            queue->push_front(ch);
            return TRUE;
        }
        default: return FALSE;
    }
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!nol::win32::OnQueueThread()) {
        // The window list is the queue thread's; the window is checked on arrival.
        MSG msg{};
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        nol::win32::PostFromOtherThread(msg);
        return TRUE;
    }
    if (hwnd && !NolIsLiveWindow(hwnd)) return FALSE;
    Post(hwnd, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) { Post(nullptr, WM_QUIT, (WPARAM)exitCode, 0); }

BOOL WaitMessage() {
    NolDrainSdlEvents();
    while (queue->empty()) {
        SDL_Event event;
        if (SDL_WasInit(SDL_INIT_EVENTS) && SDL_WaitEvent(&event))
            Translate(event);
        else
            Sleep(10);  // nothing can arrive from SDL; look again shortly
        NolDrainSdlEvents();
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!NolIsLiveWindow(hwnd) || !paint) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = RECT{0, 0, hwnd->clientWidth, hwnd->clientHeight};
    // Painting validates the window: a repaint still queued is dropped.
    std::erase_if(*queue, [&](const MSG& m) { return m.hwnd == hwnd && m.message == WM_PAINT; });
    return reinterpret_cast<HDC>(hwnd);
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*) { return NolIsLiveWindow(hwnd); }
