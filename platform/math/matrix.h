// 4 x 4 matrix arithmetic below both the Direct3D device, which composes its
// transforms with it, and the D3DX math library, which offers it to the program.
// Row vectors, as Direct3D has them: p' = p * M.
#pragma once

#include "d3d8/d3d8types.h"

// out = a * b; out may alias a or b.
void NolMatrixMultiply(D3DMATRIX* out, const D3DMATRIX& a, const D3DMATRIX& b);
