#include "comdlg/modal_wait.h"

#include <SDL_syswm.h>
#include <poll.h>

#include "d3d8/window_repaint.h"
#include "win32/sdl_bridge.h"

namespace nol::comdlg {
namespace {

// Far more than a chooser's lifetime brings (focus, size and move changes).
constexpr size_t kMaxKeptEvents = 256;

bool IsInput(Uint32 type) {
    if (type == SDL_KEYMAPCHANGED) return false;
    return (type >= SDL_KEYDOWN && type < SDL_JOYAXISMOTION) ||  // keyboard, text, mouse
           (type >= SDL_FINGERDOWN && type < SDL_CLIPBOARDUPDATE);  // touch and gestures
}

}  // namespace

ModalWait::ModalWait(HWND owner) : owner_(owner) {
    if (SDL_Window* window = NolSdlWindow(owner)) ownerId_ = SDL_GetWindowID(window);
}

ModalWait::~ModalWait() {
    ReleaseInput();
    for (SDL_Event& event : later_) SDL_PushEvent(&event);
}

bool ModalWait::Turn(int fd, int timeoutMs) {
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) Take(event);
    }
    if (ending_) return false;
    pollfd ready{fd, POLLIN, 0};
    poll(fd >= 0 ? &ready : nullptr, fd >= 0 ? 1 : 0, timeoutMs);
    return true;
}

void ModalWait::Take(const SDL_Event& event) {
    if (IsInput(event.type)) {
        // A press is the chooser's business, not the program's; a release lets go
        // of a key or button that was down when the chooser came up.
        if (event.type == SDL_KEYUP || event.type == SDL_MOUSEBUTTONUP) NolObserveSdlEvent(event);
        return;
    }
    if (event.type == SDL_QUIT) ending_ = true;
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == ownerId_) {
        switch (event.window.event) {
            case SDL_WINDOWEVENT_EXPOSED: NolD3D8RepaintWindow(owner_); return;
            case SDL_WINDOWEVENT_SIZE_CHANGED: NolD3D8RepaintWindow(owner_); break;
            case SDL_WINDOWEVENT_CLOSE: ending_ = true; break;
            default: break;
        }
    }
    Keep(event);
}

void ModalWait::Keep(const SDL_Event& event) {
    if (later_.size() < kMaxKeptEvents || event.type == SDL_QUIT) later_.push_back(event);
}

// Keys and buttons held when the chooser came up may have been let go over the
// chooser, where the owner never heard of it. Whatever SDL does not know to be down
// now is reported up; what is really held will be reported up when let go.
void ModalWait::ReleaseInput() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 1; scancode < count; ++scancode) {
        if (keys[scancode]) continue;
        SDL_Event up{};
        up.type = SDL_KEYUP;
        up.key.windowID = ownerId_;
        up.key.state = SDL_RELEASED;
        up.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
        up.key.keysym.sym = SDL_GetKeyFromScancode(up.key.keysym.scancode);
        NolObserveSdlEvent(up);
    }
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    for (Uint8 button = SDL_BUTTON_LEFT; button <= SDL_BUTTON_X2; ++button) {
        if (buttons & SDL_BUTTON(button)) continue;
        SDL_Event up{};
        up.type = SDL_MOUSEBUTTONUP;
        up.button.windowID = ownerId_;
        up.button.button = button;
        up.button.state = SDL_RELEASED;
        NolObserveSdlEvent(up);
    }
}

uint64_t X11WindowOf(HWND window) {
    SDL_Window* sdl = NolSdlWindow(window);
    if (!sdl) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return static_cast<uint64_t>(info.info.x11.window);
}

}  // namespace nol::comdlg
