// On its own, so that the media module, which has the COM objects but not the
// rest of COM, can define it too.
#include "com/objbase.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
