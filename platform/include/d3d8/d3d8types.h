// Plain value types shared by Direct3D 8 and the D3DX math library: vectors,
// matrices and colours with their original names and layouts.
#pragma once

#include "win32/windows.h"

// Packed colour 0xAARRGGBB.
typedef DWORD D3DCOLOR;

#define D3DCOLOR_ARGB(a, r, g, b)                                                     \
    ((D3DCOLOR)((((DWORD)(a) & 0xFF) << 24) | (((DWORD)(r) & 0xFF) << 16) |          \
                (((DWORD)(g) & 0xFF) << 8) | ((DWORD)(b) & 0xFF)))
#define D3DCOLOR_RGBA(r, g, b, a) D3DCOLOR_ARGB(a, r, g, b)
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xFF, r, g, b)

struct D3DVECTOR {
    float x, y, z;
};

struct D3DCOLORVALUE {
    float r, g, b, a;
};

// Row-major 4x4 matrix; _rc is row r, column c, also reachable as m[r-1][c-1].
struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};
