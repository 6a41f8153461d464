// Which contents a vertex or index buffer holds, for code that keeps something
// worked out from a buffer (a search tree over a model's triangles) and must know
// when it has gone stale. Not part of the original interface.
#pragma once

#include <cstdint>

#include "d3d8/d3d8.h"

// A number that changes whenever the buffer's contents may have changed: with
// every write through Lock (a lock without D3DLOCK_READONLY), once unlocked. 0 for
// null and for anything that is not a vertex or index buffer made by this layer's
// device; such a buffer's changes cannot be told.
uint64_t NolBufferContentsVersion(IDirect3DResource8* buffer);
