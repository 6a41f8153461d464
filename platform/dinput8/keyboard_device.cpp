// The system keyboard: 256 bytes, one per DirectInput scan code.
#include <cstring>
#include <new>

#include "dinput8/devices.h"
#include "dinput8/scancodes.h"

namespace nol::dinput8 {

namespace {

class KeyboardDevice final : public DirectInputDevice {
public:
    explicit KeyboardDevice(const DeviceParent& parent) : DirectInputDevice(parent, c_dfDIKeyboard) {
        // Presses before the device was made are no news to it.
        std::memcpy(seen_, Events().presses, sizeof seen_);
        for (int dik = 1; dik < 256; ++dik) {
            SDL_Scancode scancode = SdlScancodeFromDik(dik);
            if (scancode == SDL_SCANCODE_UNKNOWN) continue;
            AddObject(GUID_Key, dik, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(dik), SDL_GetScancodeName(scancode));
        }
    }

private:
    // A key pressed since the last read reads as down even when it is up again.
    void ReadState(void* data) override {
        BYTE* keys = static_cast<BYTE*>(data);
        const InputEventState& events = Events();
        for (int dik = 0; dik < 256; ++dik) {
            keys[dik] = events.keys[dik] | (events.presses[dik] != seen_[dik] ? 0x80 : 0x00);
            seen_[dik] = events.presses[dik];
        }
    }

    uint32_t seen_[256] = {};
};

}  // namespace

DirectInputDevice* CreateKeyboardDevice(const DeviceParent& parent) {
    return new (std::nothrow) KeyboardDevice(parent);
}

}  // namespace nol::dinput8
