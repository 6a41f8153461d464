// Message boxes: our own window, drawn with the fonts' glyphs; SDL's box where no
// face can be found to draw with. Where no box can be shown (no display), or where
// NOL_AUTO_MESSAGEBOX asks for it, the text goes to standard error and the box
// answers by itself, so that nothing ever waits for a user who is not there.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/codepage.h"
#include "win32/message_box_layout.h"
#include "win32/message_box_window.h"
#include "win32/sdl_bridge.h"
#include "win32/test_hooks.h"
#include "win32/windows.h"

namespace {

NolMessageBoxAnswerer answerer = nullptr;

void Print(LPCSTR text, LPCSTR caption) {
    std::string line = "MessageBox";
    if (caption && *caption) line += " [" + nol::base::Cp932ToUtf8(caption) + "]";
    line += ": " + nol::base::Cp932ToUtf8(text ? text : "");
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

int AutomaticAnswer(const char* setting, UINT type) {
    int answer = -1;
    if (!std::strcmp(setting, "ok")) answer = IDOK;
    if (!std::strcmp(setting, "yes")) answer = IDYES;
    if (!std::strcmp(setting, "no")) answer = IDNO;
    if (!std::strcmp(setting, "cancel")) answer = IDCANCEL;
    return nol::win32::msgbox::Offers(type, answer) ? answer : nol::win32::msgbox::CloseAnswer(type);
}

Uint32 IconFlags(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
        case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
        default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

void NolSetMessageBoxAnswerer(NolMessageBoxAnswerer a) { answerer = a; }

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (answerer) return answerer(owner, text, caption, type);
    if (const char* setting = std::getenv("NOL_AUTO_MESSAGEBOX")) {
        Print(text, caption);
        return AutomaticAnswer(setting, type);
    }

    if (const int answer = nol::win32::ShowMessageBoxWindow(owner, text, caption, type)) return answer;

    const int escape = nol::win32::msgbox::CloseAnswer(type);
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    switch (type & 0xF) {
        case MB_YESNO:
            buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
            buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
            break;
        case MB_OKCANCEL:
            buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
            buttons[count++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
            break;
        default:
            buttons[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                    SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                IDOK, "OK"};
    }
    std::string utf8Text = nol::base::Cp932ToUtf8(text ? text : "");
    std::string utf8Caption = nol::base::Cp932ToUtf8(caption ? caption : "");
    SDL_MessageBoxData data{};
    data.flags = IconFlags(type);
    data.window = owner ? NolSdlWindow(owner) : nullptr;
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    data.numbuttons = count;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        Print(text, caption);
        return escape;
    }
    return pressed < 0 ? escape : pressed;
}
