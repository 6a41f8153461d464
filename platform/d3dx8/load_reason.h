// Recording why a load failed, for D3DXGetLastLoadError.
#pragma once

#include <string>

namespace nol::d3dx8 {

// Every public loading function clears the reason on entry and sets one before it
// returns a failure it can explain. Each thread has its own.
void ClearLoadReason();
void SetLoadReason(const std::string& reason);

}  // namespace nol::d3dx8
