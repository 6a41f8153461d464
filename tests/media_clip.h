// The generated test clip as a test finds it on the screen: SMPTE bars over the
// upper two thirds (white, yellow, cyan, green, magenta, red, blue), a ball
// bouncing in the band at the bottom; 640 x 480, four seconds.
#pragma once

#include <cstdint>

constexpr int kClipWidth = 640, kClipHeight = 480, kClipBarsHeight = 320;
constexpr double kClipSeconds = 4.0;

// Whether a pixel (0xAARRGGBB) is bar `bar` of the clip: each channel near full or
// near nothing, as the bar's colour has it (the codec moves them a little).
inline bool IsClipBar(uint32_t pixel, int bar) {
    static const int kBars[7][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
    const int got[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    for (int c = 0; c < 3; ++c)
        if (kBars[bar][c] ? got[c] <= 190 : got[c] >= 70) return false;
    return true;
}

// Whether the clip's picture fills exactly the area (left, top)-(right, bottom) of
// a width x height picture, whose pixels at(x, y) gives: each bar in its place
// (sampled in its middle), the bars' outer corners at the area's corners, and
// black just outside it where the picture goes on.
template <typename PixelAt>
bool ShowsClipBars(PixelAt at, int width, int left, int top, int right) {
    const double scale = double(right - left) / kClipWidth;
    const int y = top + int(kClipBarsHeight / 2 * scale);
    for (int bar = 0; bar < 7; ++bar)
        if (!IsClipBar(at(left + int((bar + 0.5) * kClipWidth / 7 * scale), y), bar)) return false;
    constexpr int kEdge = 4;  // scaling blends a pixel or two at the picture's edges
    if (!IsClipBar(at(left + kEdge, top + kEdge), 0) || !IsClipBar(at(right - 1 - kEdge, top + kEdge), 6))
        return false;
    auto black = [&](int px, int py) { return (at(px, py) & 0xFFFFFF) == 0; };
    if (left >= kEdge && !black(left - kEdge, y)) return false;
    if (right + kEdge <= width && !black(right - 1 + kEdge, y)) return false;
    if (top >= kEdge && !black(left + kEdge, top - kEdge)) return false;
    return true;
}
