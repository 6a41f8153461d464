// Driving a CTextEntry as the main loop does: the input method's events and typed
// characters through the real message pump and window procedure, the keys of each
// frame injected into the input state.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "ime_events.h"
#include "input/input.h"
#include "input/text_entry.h"
#include "shell/window.h"

class TextEntryDriver {
public:
    explicit TextEntryDriver(CTextEntry& field) : field_(field) {}

    // The input method's composition (empty: it ends) and its committed text.
    void Editing(const char* utf8) { InjectEditing(mainWindow, utf8); }
    void Commit(const char* utf8) { InjectText(mainWindow, utf8); }

    // One frame: the pump, then the keyboard read with these keys down, then the
    // field (draw() wraps it, as the owner's frame does).
    template <typename Draw>
    int Frame(std::initializer_list<int> down, Draw draw) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        std::memcpy(InputState.prevKeys, InputState.keys, sizeof InputState.keys);
        std::memset(InputState.keys, 0, sizeof InputState.keys);
        for (int key : down) InputState.keys[key] = 0x80;
        int result = 0;
        draw([&] { result = field_.Update(); });
        ++updates;
        return result;
    }
    int Frame(std::initializer_list<int> down = {}) {
        return Frame(down, [](auto update) { update(); });
    }

    // A key pressed in one frame and let go in the next; the first frame's result.
    int Press(int key) {
        const int result = Frame({key});
        Frame();
        return result;
    }

    // A character typed: its WM_CHAR, then the key's frame.
    int Type(char c) {
        PostMessageA(mainWindow, WM_CHAR, static_cast<unsigned char>(c), 0);
        return Press(DIK_A);
    }
    void Type(const std::string& text) {
        for (char c : text) Type(c);
    }

    // A reading composed and committed with Enter, as IBus delivers it: the
    // composition shown, then at Enter the text and the composition taken away.
    void CommitThroughInputMethod(const char* utf8) {
        Editing(utf8);
        EXPECT_EQ(Press(DIK_A), 0);
        Commit(utf8);
        Editing("");
        EXPECT_EQ(Press(DIK_RETURN), 0);
    }

    int updates = 0;  // Update calls so far: the caret's blink phase

private:
    CTextEntry& field_;
};
