// The device reset that follows a failed present. A device cannot be reset while
// anything holds a resource of its default pool, so whatever keeps such resources
// from frame to frame is a reset hook for as long as it lives: every hook lets go
// of its resources before the reset and makes them again (contents lost, to be
// drawn afresh) once the reset has succeeded.
#pragma once

#include "d3d8/d3d8.h"

class DeviceResetHook {
public:
    DeviceResetHook();
    virtual ~DeviceResetHook();
    DeviceResetHook(const DeviceResetHook&) = delete;
    DeviceResetHook& operator=(const DeviceResetHook&) = delete;

private:
    friend HRESULT ResetDevice();
    virtual void ReleaseForReset() = 0;
    virtual void RestoreAfterReset() = 0;

    DeviceResetHook* next_ = nullptr;
};

// Releases every hook's resources, resets the device with the kept presentation
// parameters and, when that works, restores the hooks. The reset's result.
HRESULT ResetDevice();
