// The .x reader through the DirectX file interface, as a program walks a file:
// every data object and child, their names, types and data, whole and member by
// member, and every reference resolved. Text, binary and compressed files all
// start here; the header bytes choose the reader. The input is also offered as
// a template file to a fresh DirectX file object.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "d3dx8/dxfile.h"
#include "d3dx8/xfile/dxfile_access.h"
#include "fuzz_support.h"
#include "standard_x_file.h"

namespace {

void ReadName(IDirectXFileObject* object) {
    DWORD size = 0;
    object->GetName(nullptr, &size);
    char name[64];
    DWORD small = sizeof name;
    if (object->GetName(name, &small) == DXFILE_OK && small > 0) FuzzTouch(name, strnlen(name, sizeof name));
    GUID id;
    object->GetId(&id);
}

void ReadData(IDirectXFileData* data) {
    ReadName(data);
    const GUID* type = nullptr;
    FuzzCheck(data->GetType(&type) == DXFILE_OK && type, "a data object has a type");
    DWORD size = 0;
    void* bytes = nullptr;
    FuzzCheck(data->GetData(nullptr, &size, &bytes) == DXFILE_OK, "a data object has data");
    FuzzTouch(bytes, size);
    // Member by member, as a program reads "nVertices" or "vertices".
    const nol::d3dx8::xfile::XData* object = nol::d3dx8::xfile::DataObjectOf(data);
    FuzzCheck(object, "a data object of this library");
    for (const auto& member : object->tmpl->members) {
        if (data->GetData(member.name.c_str(), &size, &bytes) != DXFILE_OK) continue;
        FuzzTouch(bytes, size);
        // A string member is a pointer (an array of strings, several) to text that ends.
        if (member.primitive != nol::d3dx8::xfile::XPrimitive::String) continue;
        // A name given twice in a template finds its first member: the data seen
        // here may be another member's.
        const auto& members = object->tmpl->members;
        const auto first = std::find_if(members.begin(), members.end(),
                                        [&](const auto& m) { return m.name == member.name; });
        if (&*first != &member) continue;
        FuzzCheck(size % sizeof(char*) == 0, "string members hold whole pointers");
        for (DWORD at = 0; at < size; at += sizeof(char*)) {
            const char* text = nullptr;
            std::memcpy(&text, static_cast<const char*>(bytes) + at, sizeof text);
            if (text) FuzzTouch(text, std::strlen(text));
        }
    }
}

void Walk(IDirectXFileData* data) {
    ReadData(data);
    IDirectXFileObject* child = nullptr;
    while (data->GetNextObject(&child) == DXFILE_OK) {
        IDirectXFileData* nested = nullptr;
        IDirectXFileDataReference* reference = nullptr;
        if (child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&nested)) == S_OK) {
            Walk(nested);
            nested->Release();
        } else if (child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(&reference)) ==
                   S_OK) {
            ReadName(reference);
            IDirectXFileData* target = nullptr;
            // The target is read, not walked: a reference may name its own parent.
            if (reference->Resolve(&target) == DXFILE_OK) {
                ReadData(target);
                target->Release();
            }
            reference->Release();
        } else {
            FuzzCheck(false, "a child is a data object or a reference");
        }
        child->Release();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ForEachTopObject(bytes, size, Walk);

    IDirectXFile* fresh = nullptr;
    DirectXFileCreate(&fresh);
    fresh->RegisterTemplates(const_cast<uint8_t*>(bytes), DWORD(size));
    fresh->Release();
    return 0;
}
