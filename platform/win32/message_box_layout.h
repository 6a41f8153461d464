// A message box's picture: where its icon, text and buttons go, and its pixels,
// drawn with the glyph source of the fonts. Nothing here touches a window, so a
// box can be drawn and looked at off-screen.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/glyph_source.h"
#include "win32/windows.h"

namespace nol::win32::msgbox {

struct Button {
    int answer;         // IDOK, IDCANCEL, IDYES, IDNO
    const char* label;  // CP932; "&x" marks the key that presses it
    char key;           // that key as a lower-case letter, 0 for none
    RECT rect;
};

struct Layout {
    int width = 0;
    int height = 0;
    UINT icon = 0;  // MB_ICON* of the type, 0 for none
    RECT iconRect{};
    RECT textRect{};
    std::vector<Button> buttons;
    int escapeAnswer = IDOK;  // what Escape and the close button give
};

// What the user is doing to the buttons, for the picture.
struct Interaction {
    int focused = 0;   // the button Return presses
    int pressed = -1;  // held down by the mouse, -1 for none
};

// The buttons of a type (MB_OK when the type names none of MB_OKCANCEL and
// MB_YESNO), and the answer a box of it gives when closed without a choice.
std::vector<Button> ButtonsOf(UINT type);
int CloseAnswer(UINT type);
bool Offers(UINT type, int answer);

// The box sized to its text: lines break at line feeds and where the text is wider
// than the widest box allows; text taller than the tallest box is cut.
Layout LayOut(gdi::GlyphSource& font, const char* text, UINT type);

// The whole box as 0xAARRGGBB pixels, width × height, row 0 on top.
void Paint(gdi::GlyphSource& font, const Layout& layout, const char* text, const Interaction& interaction,
           std::vector<uint32_t>* pixels);

// The index of the button at a point of the box, -1 for none.
int ButtonAt(const Layout& layout, int x, int y);

}  // namespace nol::win32::msgbox
