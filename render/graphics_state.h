// The single record of the rendering layer.
#pragma once

struct GraphicsStateRecord {
    // Non-zero when running in a window ("-win"), zero in full screen.
    int windowed = 0;
};

extern GraphicsStateRecord GraphicsState;
