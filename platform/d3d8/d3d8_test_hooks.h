// Seams for tests: device loss on demand, read-back of rendered pixels and PNG
// output. Production code never calls these.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d8/d3d8.h"

// What TestCooperativeLevel, Present and Reset will answer from now on:
//   NOL_D3D_OPERATIONAL  D3D_OK;
//   NOL_D3D_LOST         D3DERR_DEVICELOST, Present fails, Reset fails with
//                        D3DERR_DEVICELOST, drawing does nothing;
//   NOL_D3D_NOTRESET     D3DERR_DEVICENOTRESET, Present fails, Reset may succeed.
// False when the device is not one of this layer's.
enum NolD3DDeviceCondition { NOL_D3D_OPERATIONAL, NOL_D3D_LOST, NOL_D3D_NOTRESET };
bool NolD3D8SetDeviceCondition(IDirect3DDevice8* device, NolD3DDeviceCondition condition);

// The pixels of a colour surface of the device (null: its back buffer) as
// 0xAARRGGBB, row 0 on top; surfaces without alpha read as opaque. False for depth
// surfaces and for objects of other implementations.
bool NolD3D8ReadSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface,
                        std::vector<uint32_t>* pixels, UINT* width, UINT* height);

// From now on the device keeps what each Present put into the window; the last one
// comes back as 0xAARRGGBB, row 0 at the top of the window. False before the first
// captured Present.
bool NolD3D8CapturePresents(IDirect3DDevice8* device, bool on);
bool NolD3D8LastPresented(IDirect3DDevice8* device, std::vector<uint32_t>* pixels, UINT* width,
                          UINT* height);

// Writes 0xAARRGGBB pixels, row 0 on top, as an RGBA PNG file.
bool NolD3D8WritePng(const char* path, const uint32_t* argb, UINT width, UINT height);

// Puts a Direct3D object of the test's own in place of this layer's: while set,
// Direct3DCreate8 returns what the hook returns. Null restores the real one.
typedef IDirect3D8* (*NolDirect3DCreateHook)(UINT sdkVersion);
void NolD3D8SetCreateHook(NolDirect3DCreateHook hook);

// How many fixed-function programs the device has generated so far.
size_t NolD3D8ProgramCount(IDirect3DDevice8* device);

// The device's GL buffers for vertex and index buffers: how many it has made, how
// many new buffers took one that a released buffer left, and how many (and how
// many bytes of storage) it keeps for reuse now. False for other devices.
struct NolD3D8BufferCounts {
    uint64_t made;
    uint64_t reused;
    size_t kept;
    size_t keptBytes;
};
bool NolD3D8GetBufferCounts(IDirect3DDevice8* device, NolD3D8BufferCounts* counts);

// Bytes of system memory a texture's levels hold now (a managed level the GL
// texture has gives its copy up until it is locked or copied). 0 for other objects.
size_t NolD3D8TextureBytesHeld(IDirect3DTexture8* texture);
// The same for a vertex buffer's contents.
size_t NolD3D8VertexBufferBytesHeld(IDirect3DVertexBuffer8* buffer);
