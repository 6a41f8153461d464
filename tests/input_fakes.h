// A scripted DirectInput for tests of the input code: every step can be made to
// fail, device states are set by the test, and every call is recorded in order.
// Installed through DirectInput8Create's test hook.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dinput8/dinput.h"
#include "dinput8/dinput_test_hooks.h"

// Calls to the fakes, in order, as "<device>.<method>".
struct CallLog {
    std::vector<std::string> calls;
    void Add(const std::string& device, const char* method) { calls.push_back(device + "." + method); }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += c == call;
        return n;
    }
};

class FakeDevice : public IDirectInputDevice8A {
public:
    FakeDevice(std::string name, CallLog* log, size_t stateSize)
        : name(std::move(name)), state(stateSize), log_(log) {}

    std::string name;

    // Results the device answers with.
    HRESULT setDataFormatResult = DI_OK;
    HRESULT setCooperativeLevelResult = DI_OK;
    HRESULT enumObjectsResult = DI_OK;
    HRESULT pollResult = DI_OK;
    HRESULT stateResult = DI_OK;  // of GetDeviceState
    std::vector<BYTE> state;      // copied out by a successful GetDeviceState
    int axes = 0;                 // absolute axes EnumObjects reports

    // What was done to it.
    ULONG refs = 0;
    const DIDATAFORMAT* format = nullptr;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    DWORD enumObjectsFlags = 0;
    std::vector<DIPROPRANGE> ranges;

    template <typename T>
    void SetState(const T& value) {
        state.assign(sizeof value, 0);
        std::memcpy(state.data(), &value, sizeof value);
    }

    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        log_->Add(name, "Release");
        return --refs;
    }
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override {
        log_->Add(name, "EnumObjects");
        enumObjectsFlags = flags;
        if (enumObjectsResult != DI_OK) return enumObjectsResult;
        for (int a = 0; a < axes; ++a) {
            DIDEVICEOBJECTINSTANCEA object{};
            object.dwSize = sizeof object;
            object.guidType = GUID_XAxis;
            object.dwOfs = 4 * a;
            object.dwType = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(a + 3);  // ids not equal to indexes
            if (callback(&object, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        log_->Add(name, "SetProperty");
        if (property != DIPROP_RANGE || header->dwSize != sizeof(DIPROPRANGE)) return DIERR_UNSUPPORTED;
        ranges.push_back(*reinterpret_cast<const DIPROPRANGE*>(header));
        return DI_OK;
    }
    HRESULT Acquire() override {
        log_->Add(name, "Acquire");
        return DI_OK;
    }
    HRESULT Unacquire() override {
        log_->Add(name, "Unacquire");
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, LPVOID data) override {
        log_->Add(name, "GetDeviceState");
        if (size != state.size()) return DIERR_INVALIDPARAM;
        if (stateResult == DI_OK) std::memcpy(data, state.data(), size);
        return stateResult;
    }
    HRESULT SetDataFormat(LPCDIDATAFORMAT f) override {
        log_->Add(name, "SetDataFormat");
        format = f;
        return setDataFormatResult;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        log_->Add(name, "SetCooperativeLevel");
        cooperativeWindow = window;
        cooperativeFlags = flags;
        return setCooperativeLevelResult;
    }
    HRESULT Poll() override {
        log_->Add(name, "Poll");
        return pollResult;
    }

private:
    CallLog* log_;
};

class FakeDirectInput : public IDirectInput8A {
public:
    CallLog log;
    HRESULT createResult = DI_OK;  // of DirectInput8Create
    HRESULT keyboardCreateResult = DI_OK;
    HRESULT mouseCreateResult = DI_OK;
    HRESULT enumDevicesResult = DI_OK;
    FakeDevice keyboard{"keyboard", &log, 256};
    FakeDevice mouse{"mouse", &log, sizeof(DIMOUSESTATE)};
    std::vector<std::unique_ptr<FakeDevice>> joysticks;
    std::vector<HRESULT> joystickCreateResults;

    ULONG refs = 0;
    DWORD createdVersion = 0;
    GUID createdIid{};
    DWORD enumDevType = 0xFFFFFFFF;
    DWORD enumFlags = 0;
    int enumCallbacks = 0;
    BOOL lastEnumAnswer = DIENUM_CONTINUE;

    // Adds a controller that EnumDevices reports; its CreateDevice answers result.
    FakeDevice& AddJoystick(HRESULT result = DI_OK, int axes = 3) {
        joysticks.push_back(std::make_unique<FakeDevice>("joystick" + std::to_string(joysticks.size()), &log,
                                                         sizeof(DIJOYSTATE2)));
        joysticks.back()->axes = axes;
        joystickCreateResults.push_back(result);
        return *joysticks.back();
    }

    static GUID JoystickGuid(size_t index) {
        return GUID{(uint32_t)index, 0xFA4E, 0x0001, {'f', 'a', 'k', 'e', 'j', 'o', 'y', 0}};
    }

    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        log.Add("directInput", "Release");
        return --refs;
    }
    HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override {
        *device = nullptr;
        if (instance == GUID_SysKeyboard) return Hand(keyboard, keyboardCreateResult, device);
        if (instance == GUID_SysMouse) return Hand(mouse, mouseCreateResult, device);
        for (size_t i = 0; i < joysticks.size(); ++i)
            if (instance == JoystickGuid(i)) return Hand(*joysticks[i], joystickCreateResults[i], device);
        return DIERR_DEVICENOTREG;
    }
    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) override {
        enumDevType = devType;
        enumFlags = flags;
        if (FAILED(enumDevicesResult)) return enumDevicesResult;
        for (size_t i = 0; i < joysticks.size(); ++i) {
            DIDEVICEINSTANCEA instance{};
            instance.dwSize = sizeof instance;
            instance.guidInstance = JoystickGuid(i);
            ++enumCallbacks;
            lastEnumAnswer = callback(&instance, context);
            if (lastEnumAnswer == DIENUM_STOP) break;
        }
        return DI_OK;
    }

private:
    static HRESULT Hand(FakeDevice& made, HRESULT result, LPDIRECTINPUTDEVICE8A* device) {
        if (FAILED(result)) return result;
        made.refs = 1;
        *device = &made;
        return result;
    }
};

// The fake that DirectInput8Create hands out while installed.
inline FakeDirectInput* installedFake = nullptr;

inline HRESULT CreateFakeDirectInput(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN) {
    installedFake->createdVersion = version;
    installedFake->createdIid = iid;
    *out = nullptr;
    if (FAILED(installedFake->createResult)) return installedFake->createResult;
    installedFake->refs = 1;
    *out = static_cast<IDirectInput8A*>(installedFake);
    return DI_OK;
}

inline void InstallFake(FakeDirectInput* fake) {
    installedFake = fake;
    NolSetDirectInputCreateHook(fake ? CreateFakeDirectInput : nullptr);
}

// Message boxes shown, answered OK at once.
struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
inline std::vector<ShownBox> shownBoxes;

inline int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    shownBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    return IDOK;
}
