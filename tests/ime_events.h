// The input method's events as SDL queues them, for a window: the composition
// (empty when composing ends) and the committed text. The message pump takes them
// as it takes the input method's own.
#pragma once

#include <cstring>

#include "win32/sdl_bridge.h"

inline void InjectEditing(HWND window, const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTEDITING;
    e.edit.windowID = SDL_GetWindowID(NolSdlWindow(window));
    std::strncpy(e.edit.text, utf8, sizeof e.edit.text - 1);  // SDL's events hold 31 bytes
    SDL_PushEvent(&e);
}

inline void InjectText(HWND window, const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = SDL_GetWindowID(NolSdlWindow(window));
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    SDL_PushEvent(&e);
}

inline const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }
