// The shared font and the text drawing every part of the program uses.
#include "render/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "d3dx8/d3dx8core.h"
#include "render/graphics_state.h"

int InitFont(int height, D3DCOLOR colour, int weight) {
    FreeFont();
    LOGFONT font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = SHIFTJIS_CHARSET;
    std::strncpy(font.lfFaceName, "ＭＳ ゴシック", sizeof font.lfFaceName - 1);
    // A font that cannot be made leaves text undrawn; nothing else depends on it.
    D3DXCreateFontIndirect(GraphicsState.device, &font, &GraphicsState.font);
    GraphicsState.fontHeight = height;
    GraphicsState.textColour = colour;
    return height;
}

void FreeFont() {
    if (GraphicsState.font) GraphicsState.font->Release();
    GraphicsState.font = nullptr;
}

void BeginText() {
    if (GraphicsState.font) GraphicsState.font->Begin();
}

void EndText() {
    if (GraphicsState.font) GraphicsState.font->End();
}

void DrawTextAt(int x, int y, const char* text) {
    if (!GraphicsState.font || !text) return;
    RECT rect{x, y, GraphicsState.screenWidth, GraphicsState.screenHeight};
    GraphicsState.font->DrawTextA(text, -1, &rect, DT_NOPREFIX | DT_EXPANDTABS, GraphicsState.textColour);
}

void DrawTextFormat(int x, int y, const char* format, ...) {
    char text[2400];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    DrawTextAt(x, y, text);
}
