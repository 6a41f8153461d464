#include "math/matrix.h"

void NolMatrixMultiply(D3DMATRIX* out, const D3DMATRIX& a, const D3DMATRIX& b) {
    // Built in a local first, so that out may be a or b.
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] +
                        a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    *out = r;
}
