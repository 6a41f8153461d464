// The parsed object behind an IDirectXFileData, for the mesh loader that takes
// its mesh from a data object rather than from a file.
#pragma once

#include "d3dx8/dxfile.h"
#include "d3dx8/xfile/x_data.h"

namespace nol::d3dx8::xfile {

// Null when data is not one of this library's data objects.
const XData* DataObjectOf(IDirectXFileData* data);

}  // namespace nol::d3dx8::xfile
