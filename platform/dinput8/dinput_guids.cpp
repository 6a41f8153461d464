// DirectInput's identifiers, property names and predefined data formats.
#include "dinput8/dinput.h"

// Tail shared by the system device and object-type GUIDs.
#define DI_TAIL {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}

const IID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const IID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};

const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, DI_TAIL};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, DI_TAIL};

const GUID GUID_XAxis = {0xA36D02E0, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_YAxis = {0xA36D02E1, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_ZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_RxAxis = {0xA36D02F4, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_RyAxis = {0xA36D02F5, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_RzAxis = {0xA36D02E3, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_Slider = {0xA36D02E4, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_Button = {0xA36D02F0, 0xC9F3, 0x11CF, DI_TAIL};
const GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, DI_TAIL};
const GUID GUID_POV = {0xA36D02F2, 0xC9F3, 0x11CF, DI_TAIL};

#undef DI_TAIL

const GUID DIPROP_RANGE = {4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// The layouts are fixed per kind of device, so the formats carry their sizes and
// axis modes but no object list.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                     256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
                                      sizeof(DIJOYSTATE2), 0, nullptr};
