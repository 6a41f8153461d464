// The DirectX file object of a target's process, with the standard templates
// registered once, as a program registers them before reading many files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d3dx8/dxfile.h"
#include "d3dx8/rmxftmpl.h"
#include "fuzz_support.h"

inline IDirectXFile* StandardFile() {
    static IDirectXFile* file = [] {
        IDirectXFile* f = nullptr;
        DirectXFileCreate(&f);
        FuzzCheck(f->RegisterTemplates(const_cast<char*>(D3DRM_XTEMPLATES), D3DRM_XTEMPLATE_BYTES) == DXFILE_OK,
                  "the standard templates register");
        return f;
    }();
    return file;
}

// Hands every top-level data object of a file held in memory to visit, and
// releases it afterwards. A file the reader refuses has none.
template <typename Visit>
void ForEachTopObject(const uint8_t* bytes, size_t size, Visit visit) {
    DXFILELOADMEMORY memory{const_cast<uint8_t*>(bytes), DWORD(size)};
    IDirectXFileEnumObject* objects = nullptr;
    if (StandardFile()->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &objects) != DXFILE_OK) return;
    IDirectXFileData* data = nullptr;
    while (objects->GetNextDataObject(&data) == DXFILE_OK) {
        visit(data);
        data->Release();
    }
    objects->Release();
}
