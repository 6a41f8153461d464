// The message box's window and its event loop. The box takes every keyboard and
// mouse event while it is up, so its owner gets no input; other events (for the
// owner's window, a request to quit) wait until the box has closed. The releases of
// keys and buttons reach the input state at once, as they happen: a key held when
// the box came up and let go while it was up must not stay down for ever.
#include "win32/message_box_window.h"

#include <cstring>
#include <memory>
#include <vector>

#include "base/codepage.h"
#include "base/platform_log.h"
#include "win32/sdl_bridge.h"

namespace nol::win32 {
namespace {

NolMessageBoxShownHook shownHook = nullptr;
void* shownContext = nullptr;

nol::gdi::GlyphSource* BoxFont() {
    static std::shared_ptr<nol::gdi::GlyphSource> font = [] {
        LOGFONTA f{};
        f.lfHeight = 16;
        f.lfWeight = 400;
        std::strncpy(f.lfFaceName, "ＭＳ ゴシック", sizeof f.lfFaceName - 1);
        return nol::gdi::GlyphSource::Open(f);
    }();
    return font.get();
}

bool IsInput(Uint32 type) {
    switch (type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_TEXTINPUT:
        case SDL_TEXTEDITING:
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
        case SDL_FINGERDOWN:
        case SDL_FINGERUP:
        case SDL_FINGERMOTION: return true;
        default: return false;
    }
}

bool IsRelease(Uint32 type) { return type == SDL_KEYUP || type == SDL_MOUSEBUTTONUP; }

class BoxWindow {
public:
    BoxWindow(SDL_Window* window, nol::gdi::GlyphSource& font, const msgbox::Layout& layout, const char* text)
        : window_(window), id_(SDL_GetWindowID(window)), font_(font), layout_(layout), text_(text) {}

    int Run() {
        std::vector<SDL_Event> later;
        Show();
        if (shownHook) shownHook(id_, layout_, shownContext);
        while (!answer_) {
            SDL_Event e;
            if (!SDL_WaitEventTimeout(&e, 250)) continue;
            if (e.type == SDL_QUIT) {
                later.push_back(e);
                answer_ = layout_.escapeAnswer;
            } else if (e.type == SDL_WINDOWEVENT && e.window.windowID == id_) {
                OnWindowEvent(e.window);
            } else if (IsInput(e.type)) {
                OnInput(e);
                if (IsRelease(e.type)) NolObserveSdlEvent(e);
            } else {
                later.push_back(e);
            }
        }
        for (SDL_Event& e : later) SDL_PushEvent(&e);
        return answer_;
    }

private:
    void Show() {
        msgbox::Paint(font_, layout_, text_, ui_, &pixels_);
        SDL_Surface* target = SDL_GetWindowSurface(window_);
        SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(pixels_.data(), layout_.width, layout_.height, 32,
                                                                  layout_.width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (target && picture) {
            SDL_BlitSurface(picture, nullptr, target, nullptr);
            SDL_UpdateWindowSurface(window_);
        }
        if (picture) SDL_FreeSurface(picture);
    }

    void OnWindowEvent(const SDL_WindowEvent& w) {
        if (w.event == SDL_WINDOWEVENT_CLOSE)
            answer_ = layout_.escapeAnswer;
        else if (w.event == SDL_WINDOWEVENT_EXPOSED || w.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            Show();
    }

    // Keys count wherever the keyboard focus is (the owner's window may still
    // hold it where no window manager moves it); the mouse only over the box.
    void OnInput(const SDL_Event& e) {
        if (e.type == SDL_KEYDOWN) OnKey(e.key.keysym.sym);
        if (e.type == SDL_MOUSEBUTTONDOWN && e.button.windowID == id_ && e.button.button == SDL_BUTTON_LEFT) {
            ui_.pressed = msgbox::ButtonAt(layout_, e.button.x, e.button.y);
            if (ui_.pressed >= 0) ui_.focused = ui_.pressed;
            Show();
        }
        if (e.type == SDL_MOUSEBUTTONUP && e.button.windowID == id_ && e.button.button == SDL_BUTTON_LEFT) {
            const int at = msgbox::ButtonAt(layout_, e.button.x, e.button.y);
            // A click is a press and a release on the same button.
            if (at >= 0 && at == ui_.pressed) answer_ = layout_.buttons[size_t(at)].answer;
            ui_.pressed = -1;
            if (!answer_) Show();
        }
    }

    void OnKey(SDL_Keycode key) {
        const int count = static_cast<int>(layout_.buttons.size());
        switch (key) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE: answer_ = layout_.buttons[size_t(ui_.focused)].answer; return;
            case SDLK_ESCAPE: answer_ = layout_.escapeAnswer; return;
            case SDLK_TAB:
            case SDLK_RIGHT: ui_.focused = (ui_.focused + 1) % count; break;
            case SDLK_LEFT: ui_.focused = (ui_.focused + count - 1) % count; break;
            default:
                for (const msgbox::Button& b : layout_.buttons)
                    if (b.key && key == SDL_Keycode(b.key)) answer_ = b.answer;
                return;
        }
        Show();
    }

    SDL_Window* window_;
    Uint32 id_;
    nol::gdi::GlyphSource& font_;
    const msgbox::Layout& layout_;
    const char* text_;
    msgbox::Interaction ui_;
    std::vector<uint32_t> pixels_;
    int answer_ = 0;
};

}  // namespace

int ShowMessageBoxWindow(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!NolInitSdlVideo()) return 0;
    nol::gdi::GlyphSource* font = BoxFont();
    if (!font) return 0;
    const char* body = text ? text : "";
    const msgbox::Layout layout = msgbox::LayOut(*font, body, type);

    SDL_Window* ownerWindow = owner ? NolSdlWindow(owner) : nullptr;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (ownerWindow) {
        int ox = 0, oy = 0, ow = 0, oh = 0;
        SDL_GetWindowPosition(ownerWindow, &ox, &oy);
        SDL_GetWindowSize(ownerWindow, &ow, &oh);
        x = ox + (ow - layout.width) / 2;
        y = oy + (oh - layout.height) / 2;
    }
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (type & MB_SYSTEMMODAL) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (ownerWindow) flags |= SDL_WINDOW_SKIP_TASKBAR;
    const std::string title = nol::base::Cp932ToUtf8(caption ? caption : "");
    SDL_Window* window = SDL_CreateWindow(title.c_str(), x, y, layout.width, layout.height, flags);
    if (!window) {
        NolLog("MessageBox: no window (%s)\n", SDL_GetError());
        return 0;
    }
    if (ownerWindow) SDL_SetWindowModalFor(window, ownerWindow);
    SDL_RaiseWindow(window);
    const int answer = BoxWindow(window, *font, layout, body).Run();
    SDL_DestroyWindow(window);
    return answer;
}

}  // namespace nol::win32

void NolSetMessageBoxShownHook(NolMessageBoxShownHook hook, void* context) {
    nol::win32::shownHook = hook;
    nol::win32::shownContext = context;
}
