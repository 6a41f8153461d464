#include "render/graphics_state.h"

GraphicsStateRecord GraphicsState;
