#include "d3dx8/load_reason.h"

#include "d3dx8/d3dx8reason.h"

namespace {

thread_local std::string lastReason;

}  // namespace

namespace nol::d3dx8 {

void ClearLoadReason() { lastReason.clear(); }

void SetLoadReason(const std::string& reason) { lastReason = reason; }

}  // namespace nol::d3dx8

const char* D3DXGetLastLoadError() { return lastReason.c_str(); }
