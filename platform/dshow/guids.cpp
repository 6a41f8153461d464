#include "com/class_registry.h"
#include "dshow/dshow.h"
#include "dshow/gst_module.h"

const CLSID CLSID_FilterGraph = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

namespace {
// Here, beside the CLSID: whoever names the class links this file.
const nol::com::ComClassRegistration registration{CLSID_FilterGraph, nol::dshow::CreateFilterGraphInModule};
}  // namespace
