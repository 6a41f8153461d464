// The COM objects of the DirectX file API over the parsed tree. Every data object
// and reference handed out keeps the whole tree alive, so they may outlive the
// enumerator and the file object.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "com/com_object.h"
#include "d3dx8/dxfile.h"
#include "d3dx8/load_reason.h"
#include "d3dx8/xfile/dxfile_access.h"
#include "d3dx8/xfile/x_parser.h"

const IID IID_IDirectXFile = {0x3D82AB40, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const IID IID_IDirectXFileEnumObject = {0x3D82AB41, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const IID IID_IDirectXFileObject = {0x3D82AB43, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const IID IID_IDirectXFileData = {0x3D82AB44, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const IID IID_IDirectXFileDataReference = {0x3D82AB45, 0x62DA, 0x11CF,
                                           {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};

namespace {

using Tree = std::shared_ptr<const nol::d3dx8::xfile::XFileTree>;
const GUID kNullGuid{};

HRESULT ToHresult(nol::d3dx8::xfile::XStatus s) {
    switch (s) {
    case nol::d3dx8::xfile::XStatus::Ok: return DXFILE_OK;
    case nol::d3dx8::xfile::XStatus::FileNotFound: return DXFILEERR_FILENOTFOUND;
    case nol::d3dx8::xfile::XStatus::BadFileType: return DXFILEERR_BADFILETYPE;
    case nol::d3dx8::xfile::XStatus::BadVersion: return DXFILEERR_BADFILEVERSION;
    case nol::d3dx8::xfile::XStatus::BadFloatSize: return DXFILEERR_BADFILEFLOATSIZE;
    case nol::d3dx8::xfile::XStatus::BadCompression: return DXFILEERR_BADFILE;
    case nol::d3dx8::xfile::XStatus::BadArraySize: return DXFILEERR_BADARRAYSIZE;
    case nol::d3dx8::xfile::XStatus::ParseError:
    case nol::d3dx8::xfile::XStatus::TooDeep: return DXFILEERR_PARSEERROR;
    case nol::d3dx8::xfile::XStatus::BadMesh: return DXFILEERR_BADOBJECT;
    case nol::d3dx8::xfile::XStatus::TooLarge: return DXFILEERR_BADALLOC;
    }
    return DXFILEERR_INTERNALERROR;
}

HRESULT CopyName(const std::string& name, LPSTR buffer, LPDWORD size) {
    if (!size) return DXFILEERR_BADVALUE;
    const DWORD needed = name.empty() ? 0 : static_cast<DWORD>(name.size() + 1);
    const DWORD given = *size;
    *size = needed;
    if (given < needed) return DXFILEERR_BADVALUE;
    if (buffer && needed > 0) std::memcpy(buffer, name.c_str(), needed);
    else if (buffer && given > 0) buffer[0] = '\0';
    return DXFILE_OK;
}

class DataObject;

class Reference final
    : public nol::com::Object<IDirectXFileDataReference, IID_IDirectXFileObject, IID_IDirectXFileDataReference> {
public:
    Reference(Tree tree, const nol::d3dx8::xfile::XReference* ref) : tree_(std::move(tree)), ref_(ref) {}

    HRESULT GetName(LPSTR name, LPDWORD size) override { return CopyName(ref_->name, name, size); }
    HRESULT GetId(LPGUID id) override {
        if (!id) return DXFILEERR_BADVALUE;
        *id = ref_->hasId ? ref_->id : ref_->target && ref_->target->hasId ? ref_->target->id : kNullGuid;
        return DXFILE_OK;
    }
    HRESULT Resolve(LPDIRECTXFILEDATA* data) override;

private:
    Tree tree_;
    const nol::d3dx8::xfile::XReference* ref_;
};

class DataObject final
    : public nol::com::Object<IDirectXFileData, IID_IDirectXFileObject, IID_IDirectXFileData> {
public:
    DataObject(Tree tree, const nol::d3dx8::xfile::XData* obj) : tree_(std::move(tree)), obj_(obj) {}
    const nol::d3dx8::xfile::XData* Object() const { return obj_; }

    HRESULT GetName(LPSTR name, LPDWORD size) override { return CopyName(obj_->name, name, size); }
    HRESULT GetId(LPGUID id) override {
        if (!id) return DXFILEERR_BADVALUE;
        *id = obj_->hasId ? obj_->id : kNullGuid;
        return DXFILE_OK;
    }
    HRESULT GetData(LPCSTR member, DWORD* size, void** data) override {
        if (!size || !data) return DXFILEERR_BADVALUE;
        size_t offset = 0, bytes = obj_->data.size();
        if (member) {
            const auto& members = obj_->tmpl->members;
            size_t i = 0;
            while (i < members.size() && members[i].name != member) ++i;
            if (i == members.size() || i >= obj_->memberOffset.size()) return DXFILEERR_NOTFOUND;
            offset = obj_->memberOffset[i];
            bytes = obj_->MemberSize(i);
        }
        *size = static_cast<DWORD>(bytes);
        *data = bytes ? const_cast<uint8_t*>(obj_->data.data() + offset) : nullptr;
        return DXFILE_OK;
    }
    HRESULT GetType(const GUID** type) override {
        if (!type) return DXFILEERR_BADVALUE;
        *type = &obj_->tmpl->guid;
        return DXFILE_OK;
    }
    HRESULT GetNextObject(LPDIRECTXFILEOBJECT* child) override {
        if (!child) return DXFILEERR_BADVALUE;
        *child = nullptr;
        if (next_ >= obj_->children.size()) return DXFILEERR_NOMOREOBJECTS;
        const nol::d3dx8::xfile::XChild& c = obj_->children[next_++];
        if (c.object) *child = new DataObject(tree_, c.object.get());
        else *child = new Reference(tree_, &c.reference);
        return DXFILE_OK;
    }

private:
    Tree tree_;
    const nol::d3dx8::xfile::XData* obj_;
    size_t next_ = 0;
};

HRESULT Reference::Resolve(LPDIRECTXFILEDATA* data) {
    if (!data) return DXFILEERR_BADVALUE;
    *data = nullptr;
    if (!ref_->target) return DXFILEERR_BADDATAREFERENCE;
    *data = new DataObject(tree_, ref_->target);
    return DXFILE_OK;
}

class EnumObject final : public nol::com::Object<IDirectXFileEnumObject, IID_IDirectXFileEnumObject> {
public:
    explicit EnumObject(Tree tree) : tree_(std::move(tree)) {}

    HRESULT GetNextDataObject(LPDIRECTXFILEDATA* data) override {
        if (!data) return DXFILEERR_BADVALUE;
        *data = nullptr;
        if (next_ >= tree_->objects.size()) return DXFILEERR_NOMOREOBJECTS;
        *data = new DataObject(tree_, tree_->objects[next_++].get());
        return DXFILE_OK;
    }

private:
    Tree tree_;
    size_t next_ = 0;
};

class DirectXFile final : public nol::com::Object<IDirectXFile, IID_IDirectXFile> {
public:
    HRESULT CreateEnumObject(LPVOID source, DXFILELOADOPTIONS options, LPDIRECTXFILEENUMOBJECT* enumObject) override {
        if (!enumObject) return DXFILEERR_BADVALUE;
        *enumObject = nullptr;
        nol::d3dx8::ClearLoadReason();
        // Allocation failures stop here: a COM call answers with a code.
        try {
            return Open(source, options, enumObject);
        } catch (const std::bad_alloc&) {
            nol::d3dx8::SetLoadReason("out of memory while reading the file");
            return DXFILEERR_BADALLOC;
        } catch (...) {
            nol::d3dx8::SetLoadReason("internal error while reading the file");
            return DXFILEERR_INTERNALERROR;
        }
    }

    HRESULT RegisterTemplates(LPVOID data, DWORD size) override {
        if (!data) return DXFILEERR_BADVALUE;
        nol::d3dx8::ClearLoadReason();
        std::string error;
        try {
            if (nol::d3dx8::xfile::ParseTemplates(data, size, templates_, error)) return DXFILE_OK;
        } catch (const std::bad_alloc&) {
            error = "out of memory while reading the templates";
        }
        nol::d3dx8::SetLoadReason(error);
        return DXFILEERR_PARSEERROR;
    }

private:
    HRESULT Open(LPVOID source, DXFILELOADOPTIONS options, LPDIRECTXFILEENUMOBJECT* enumObject) {
        auto tree = std::make_shared<nol::d3dx8::xfile::XFileTree>();
        nol::d3dx8::xfile::XParseResult result;
        switch (options) {
        case DXFILELOAD_FROMFILE:
            if (!source) return DXFILEERR_BADVALUE;
            result = nol::d3dx8::xfile::ParseXFileFromPath(static_cast<const char*>(source), *tree, &templates_);
            break;
        case DXFILELOAD_FROMMEMORY: {
            const auto* memory = static_cast<const DXFILELOADMEMORY*>(source);
            if (!memory || !memory->lpMemory) return DXFILEERR_BADVALUE;
            result = nol::d3dx8::xfile::ParseXFile(memory->lpMemory, memory->dSize, *tree, &templates_);
            break;
        }
        case DXFILELOAD_FROMRESOURCE:
            nol::d3dx8::SetLoadReason("the program has no resources");
            return DXFILEERR_RESOURCENOTFOUND;
        default: return DXFILEERR_BADVALUE;
        }
        if (!result.Ok()) {
            nol::d3dx8::SetLoadReason(result.error);
            return ToHresult(result.status);
        }
        *enumObject = new EnumObject(std::move(tree));
        return DXFILE_OK;
    }

    nol::d3dx8::xfile::XTemplateRegistry templates_;
};

}  // namespace

HRESULT DirectXFileCreate(LPDIRECTXFILE* file) {
    if (!file) return DXFILEERR_BADVALUE;
    *file = new DirectXFile;
    return DXFILE_OK;
}

namespace nol::d3dx8::xfile {

const XData* DataObjectOf(IDirectXFileData* data) {
    auto* impl = dynamic_cast<DataObject*>(data);
    return impl ? impl->Object() : nullptr;
}

}  // namespace nol::d3dx8::xfile
