#include "d3d8/window_repaint.h"

#include "d3d8/device.h"

bool NolD3D8RepaintWindow(HWND window) {
    nol::d3d8::Device* device = window ? nol::d3d8::Device::PresentingInto(window) : nullptr;
    return device && SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
}
