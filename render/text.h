// On-screen text: the shared font, in screen pixels from the top left corner.
#pragma once

#include "d3d8/d3d8.h"

// Releases any font and creates the shared one; returns the height.
int InitFont(int height, D3DCOLOR colour, int weight);
void FreeFont();

// Bracket a frame's text. Without a font these and the draws do nothing.
void BeginText();
void EndText();
// A zero-terminated CP932 string with its top left corner at pixel (x, y).
void DrawTextAt(int x, int y, const char* text);
// printf formatting into 2400 bytes; a longer result is cut there.
void DrawTextFormat(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
