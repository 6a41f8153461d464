#include "win32/window_background.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "win32/display_connection.h"

namespace {

// The stock brushes, by their object numbers.
HBRUSH__ stockBrushes[] = {
    {RGB(255, 255, 255), false},  // WHITE_BRUSH
    {RGB(192, 192, 192), false},  // LTGRAY_BRUSH
    {RGB(128, 128, 128), false},  // GRAY_BRUSH
    {RGB(64, 64, 64), false},     // DKGRAY_BRUSH
    {RGB(0, 0, 0), false},        // BLACK_BRUSH
    {0, true},                    // NULL_BRUSH
};

// An 8-bit channel placed into a true-colour visual's mask.
unsigned long Channel(unsigned value, unsigned long mask) {
    if (!mask) return 0;
    int shift = __builtin_ctzl(mask);
    unsigned long top = mask >> shift;
    return ((value * top + 127) / 255) << shift;
}

// The pixel value of the colour in the window's visual; false where it has none.
bool PixelOf(Display* display, const XWindowAttributes& attributes, COLORREF c, unsigned long* pixel) {
    const Visual* visual = attributes.visual;
    // Direct colour (as GL visuals often are) places channels as true colour does;
    // SDL loads its colour map with an identity ramp.
    if (visual && (visual->c_class == TrueColor || visual->c_class == DirectColor)) {
        *pixel = Channel(GetRValue(c), visual->red_mask) | Channel(GetGValue(c), visual->green_mask) |
                 Channel(GetBValue(c), visual->blue_mask);
        return true;
    }
    XColor colour{};
    colour.red = (unsigned short)(GetRValue(c) * 257);
    colour.green = (unsigned short)(GetGValue(c) * 257);
    colour.blue = (unsigned short)(GetBValue(c) * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    if (!XAllocColor(display, attributes.colormap, &colour)) return false;
    *pixel = colour.pixel;
    return true;
}

}  // namespace

HGDIOBJ GetStockObject(int object) {
    if (object < 0 || object >= (int)(sizeof stockBrushes / sizeof stockBrushes[0])) return nullptr;
    return &stockBrushes[object];
}

void NolSetWindowBackground(SDL_Window* window, HBRUSH brush) {
    if (!window || !brush || brush->hollow || NolDisplayLost()) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    ::Window xwindow = info.info.x11.window;
    XWindowAttributes attributes;
    unsigned long pixel = 0;
    if (!XGetWindowAttributes(display, xwindow, &attributes) || !PixelOf(display, attributes, brush->colour, &pixel))
        return;
    XSetWindowBackground(display, xwindow, pixel);
    XClearWindow(display, xwindow);
    XFlush(display);
}
