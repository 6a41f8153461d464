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
        for (int dik = 1; dik < 256; ++dik) {
            SDL_Scancode scancode = SdlScancodeFromDik(dik);
            if (scancode == SDL_SCANCODE_UNKNOWN) continue;
            AddObject(GUID_Key, dik, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(dik), SDL_GetScancodeName(scancode));
        }
    }

private:
    void ReadState(void* data) override { std::memcpy(data, Events().keys, sizeof Events().keys); }
};

}  // namespace

DirectInputDevice* CreateKeyboardDevice(const DeviceParent& parent) {
    return new (std::nothrow) KeyboardDevice(parent);
}

}  // namespace nol::dinput8
