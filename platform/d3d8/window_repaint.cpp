#include "d3d8/window_repaint.h"

#include <algorithm>
#include <vector>

#include "d3d8/device.h"
#include "win32/process_static.h"

namespace nol::d3d8 {
namespace {

// A device can outlive ordinary statics (the shell releases it at exit).
constinit win32::ProcessStatic<std::vector<Device*>> liveDevices;

}  // namespace

void AddLiveDevice(Device* device) { liveDevices->push_back(device); }

void RemoveLiveDevice(Device* device) { std::erase(*liveDevices, device); }

}  // namespace nol::d3d8

bool NolD3D8RepaintWindow(HWND window) {
    if (!window) return false;
    for (nol::d3d8::Device* device : *nol::d3d8::liveDevices)
        if (device->PresentationWindow() == window)
            return SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
    return false;
}
