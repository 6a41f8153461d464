// The DirectX file object of a target's process, with the standard templates
// registered once, as a program registers them before reading many files.
#pragma once

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
