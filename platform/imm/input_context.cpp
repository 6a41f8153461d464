// Input contexts. Windows have one each, shared by everyone who takes it; the
// platform's text input (SDL's, which reaches IBus and Fcitx) runs while any
// context is held, so that keys reach the input method only while a text field
// wants them and the game's keys never do.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imm/imm.h"
#include "imm/input_context.h"
#include "win32/process_static.h"
#include "win32/sdl_bridge.h"

namespace {

struct Context {
    HWND window = nullptr;
    uintptr_t id = 0;  // the handle's value; never reused, so a released handle stays dead
    int holders = 0;  // a context nobody holds is removed
    nol::imm::Composition composition;
};

// Contexts are released from the program's static shutdown (a text field's
// destructor).
constinit nol::win32::ProcessStatic<std::vector<Context>> contexts;
uintptr_t lastId = 0;

Context* Find(HIMC himc) {
    if (!himc) return nullptr;
    const auto id = reinterpret_cast<uintptr_t>(himc);
    for (Context& c : *contexts)
        if (c.id == id) return &c;
    return nullptr;
}

Context* ContextOfWindow(HWND hwnd) {
    for (Context& c : *contexts)
        if (c.window == hwnd) return &c;
    return nullptr;
}

// The window an SDL text event is for; one SDL does not name (no window had the
// keyboard) is taken for the first context's, as its characters go to the first
// window.
HWND TargetOf(Uint32 windowId) {
    HWND hwnd = NolWindowFromSdlId(windowId);
    return hwnd || contexts->empty() ? hwnd : contexts->front().window;
}

// The message pump shows every SDL event to its observers first: the text events
// go to the context of their window, and every event tells the others (and that
// one, for any other kind of event) that a result's run of text is over.
void OnSdlEvent(const SDL_Event& event, void*) {
    HWND target = nullptr;
    std::string text;
    bool editing = false;
    switch (event.type) {
        case SDL_TEXTEDITING:
            target = TargetOf(event.edit.windowID), text = event.edit.text, editing = true;
            break;
        case SDL_TEXTEDITING_EXT:
            target = TargetOf(event.editExt.windowID), editing = true;
            if (event.editExt.text) text = event.editExt.text;
            break;
        case SDL_TEXTINPUT: target = TargetOf(event.text.windowID), text = event.text.text; break;
        default: break;
    }
    for (Context& c : *contexts) {
        if (!target || c.window != target)
            c.composition.OnOtherEvent();
        else if (editing)
            c.composition.OnEditing(text);
        else
            c.composition.OnText(text);
    }
}

void StartTextInput() {
    NolAddSdlEventObserver(&OnSdlEvent, nullptr);
    // The composition comes to the program, which draws it; the input method
    // shows none of its own. Long compositions come whole, not in 32-byte parts.
    SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, "0");
    SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
    SDL_StartTextInput();
}

void StopTextInput() {
    NolRemoveSdlEventObserver(&OnSdlEvent, nullptr);
    // Stopping also resets the input method, which drops any composition.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_StopTextInput();
}

}  // namespace

namespace nol::imm {

Composition* FindComposition(HIMC himc) {
    Context* c = Find(himc);
    return c ? &c->composition : nullptr;
}

HWND ContextWindow(HIMC himc) {
    Context* c = Find(himc);
    return c ? c->window : nullptr;
}

}  // namespace nol::imm

HIMC ImmGetContext(HWND hwnd) {
    if (!NolSdlWindow(hwnd)) return nullptr;
    Context* c = ContextOfWindow(hwnd);
    if (!c) {
        if (contexts->empty()) StartTextInput();
        contexts->push_back(Context{hwnd, ++lastId, 0, {}});
        c = &contexts->back();
    }
    ++c->holders;
    return reinterpret_cast<HIMC>(c->id);
}

BOOL ImmReleaseContext(HWND hwnd, HIMC himc) {
    Context* c = Find(himc);
    if (!c || c->window != hwnd) return FALSE;
    if (--c->holders > 0) return TRUE;
    // The last holder gone: the handle dies with the context.
    std::erase_if(*contexts, [&](const Context& o) { return &o == c; });
    if (contexts->empty()) StopTextInput();
    return TRUE;
}

BOOL ImmGetOpenStatus(HIMC himc) { return Find(himc) != nullptr; }
