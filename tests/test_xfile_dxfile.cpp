// The DirectX file API over the reader: registering templates, enumerating data
// objects in file order with their type GUIDs, walking children and references,
// member data, names, load sources and object lifetimes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "d3dx8/dxfile.h"
#include "d3dx8/xfile/dxfile_access.h"
#include "xfile_models.h"

using namespace xtest;

namespace {

const char kFile[] = R"(xof 0303txt 0032
Header { 1; 0; 1; }
Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { "red.bmp"; } }
Mesh Tri { <01020304-0506-0708-090A-0B0C0D0E0F10>
  3; 0;0;0;, 1;0;0;, 0;1;0;;
  1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;; { Red } }
}
Frame Root { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
)";

// Releases a COM pointer at the end of a scope.
template <typename T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

IDirectXFile* CreateWithTemplates() {
    IDirectXFile* file = nullptr;
    EXPECT_EQ(DirectXFileCreate(&file), DXFILE_OK);
    EXPECT_EQ(file->RegisterTemplates((void*)D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
    return file;
}

HRESULT OpenMemory(IDirectXFile* file, const void* data, size_t size, IDirectXFileEnumObject** e) {
    DXFILELOADMEMORY memory{const_cast<void*>(data), static_cast<DWORD>(size)};
    return file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, e);
}

std::string NameOf(IDirectXFileObject* o) {
    DWORD size = 0;
    o->GetName(nullptr, &size);
    std::string name(size, '\0');
    if (size) {
        EXPECT_EQ(o->GetName(name.data(), &size), DXFILE_OK);
    }
    return size ? name.substr(0, size - 1) : "";
}

TEST(DirectXFile, StandardTemplateTextDeclaresEveryTypeGuid) {
    EXPECT_EQ(D3DRM_XTEMPLATE_BYTES, std::strlen(D3DRM_XTEMPLATES));
    const XTemplateRegistry& std = StandardTemplates();
    struct Named {
        const char* name;
        const GUID& guid;
    } expected[] = {
        {"Header", TID_DXFILEHeader}, {"Vector", TID_D3DRMVector}, {"Coords2d", TID_D3DRMCoords2d},
        {"Matrix4x4", TID_D3DRMMatrix4x4}, {"ColorRGBA", TID_D3DRMColorRGBA}, {"ColorRGB", TID_D3DRMColorRGB},
        {"IndexedColor", TID_D3DRMIndexedColor}, {"Boolean", TID_D3DRMBoolean}, {"Boolean2d", TID_D3DRMBoolean2d},
        {"MaterialWrap", TID_D3DRMMaterialWrap}, {"TextureFilename", TID_D3DRMTextureFilename},
        {"Material", TID_D3DRMMaterial}, {"MeshFace", TID_D3DRMMeshFace}, {"MeshFaceWraps", TID_D3DRMMeshFaceWraps},
        {"MeshTextureCoords", TID_D3DRMMeshTextureCoords}, {"MeshMaterialList", TID_D3DRMMeshMaterialList},
        {"MeshNormals", TID_D3DRMMeshNormals}, {"MeshVertexColors", TID_D3DRMMeshVertexColors},
        {"Mesh", TID_D3DRMMesh}, {"FrameTransformMatrix", TID_D3DRMFrameTransformMatrix},
        {"Frame", TID_D3DRMFrame}, {"FloatKeys", TID_D3DRMFloatKeys}, {"TimedFloatKeys", TID_D3DRMTimedFloatKeys},
        {"AnimationKey", TID_D3DRMAnimationKey}, {"AnimationOptions", TID_D3DRMAnimationOptions},
        {"Animation", TID_D3DRMAnimation}, {"AnimationSet", TID_D3DRMAnimationSet}, {"Guid", TID_D3DRMGuid},
        {"StringProperty", TID_D3DRMStringProperty}, {"PropertyBag", TID_D3DRMPropertyBag},
        {"ExternalVisual", TID_D3DRMExternalVisual}, {"RightHanded", TID_D3DRMRightHanded},
    };
    EXPECT_EQ(std.Size(), std::size(expected));
    for (const Named& n : expected) {
        auto t = std.FindExact(n.name);
        ASSERT_TRUE(t) << n.name;
        EXPECT_EQ(FormatGuid(t->guid), FormatGuid(n.guid)) << n.name;
    }
    EXPECT_EQ(FormatGuid(TID_D3DRMMesh), "3D82AB44-62DA-11CF-AB39-0020AF71E433");
    EXPECT_EQ(FormatGuid(TID_D3DRMMeshFaceWraps), "ED1EC5C0-C0A8-11D0-941C-0080C80CFA7B");
}

TEST(DirectXFile, EnumeratesTopLevelObjectsInFileOrder) {
    Ref<IDirectXFile> file;
    file.p = CreateWithTemplates();
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(OpenMemory(file.p, kFile, sizeof kFile - 1, &e), DXFILE_OK);
    const GUID* types[] = {&TID_DXFILEHeader, &TID_D3DRMMaterial, &TID_D3DRMMesh, &TID_D3DRMFrame};
    const char* names[] = {"", "Red", "Tri", "Root"};
    for (int i = 0; i < 4; ++i) {
        Ref<IDirectXFileData> d;
        ASSERT_EQ(e->GetNextDataObject(&d), DXFILE_OK);
        const GUID* type = nullptr;
        ASSERT_EQ(d->GetType(&type), DXFILE_OK);
        EXPECT_EQ(*type, *types[i]) << i;
        EXPECT_EQ(NameOf(d.p), names[i]);
    }
    Ref<IDirectXFileData> none;
    EXPECT_EQ(e->GetNextDataObject(&none), DXFILEERR_NOMOREOBJECTS);
    EXPECT_EQ(none.p, nullptr);
}

TEST(DirectXFile, WithoutRegisteredTemplatesOnlyDeclaredOnesAreKnown) {
    IDirectXFile* file = nullptr;
    ASSERT_EQ(DirectXFileCreate(&file), DXFILE_OK);
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(OpenMemory(file, kFile, sizeof kFile - 1, &e), DXFILE_OK);
    Ref<IDirectXFileData> d;
    EXPECT_EQ(e->GetNextDataObject(&d), DXFILEERR_NOMOREOBJECTS);

    const char own[] = "xof 0303txt 0032\ntemplate Pair { <AAAAAAAA-0000-0000-0000-000000000001> DWORD a; DWORD b; }\n"
                       "Pair p { 7; 9; }\n";
    Ref<IDirectXFileEnumObject> e2;
    ASSERT_EQ(OpenMemory(file, own, sizeof own - 1, &e2), DXFILE_OK);
    Ref<IDirectXFileData> p;
    ASSERT_EQ(e2->GetNextDataObject(&p), DXFILE_OK);
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(p->GetData("b", &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(*static_cast<uint32_t*>(data), 9u);
    EXPECT_EQ(file->Release(), 0u);  // the enumerators keep what they need
}

TEST(DirectXFile, DataChildrenAndReferences) {
    Ref<IDirectXFile> file;
    file.p = CreateWithTemplates();
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(OpenMemory(file.p, kFile, sizeof kFile - 1, &e), DXFILE_OK);
    Ref<IDirectXFileData> header, material, mesh;
    ASSERT_EQ(e->GetNextDataObject(&header), DXFILE_OK);
    ASSERT_EQ(e->GetNextDataObject(&material), DXFILE_OK);
    ASSERT_EQ(e->GetNextDataObject(&mesh), DXFILE_OK);

    // Whole data and single members, packed as the template lays them out.
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(header->GetData(nullptr, &size, &data), DXFILE_OK);
    EXPECT_EQ(size, 8u);  // WORD, WORD, DWORD
    ASSERT_EQ(mesh->GetData("nVertices", &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(*static_cast<uint32_t*>(data), 3u);
    ASSERT_EQ(mesh->GetData("vertices", &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 36u);
    EXPECT_EQ(static_cast<float*>(data)[3], 1.0f);
    EXPECT_EQ(mesh->GetData("noSuchMember", &size, &data), DXFILEERR_NOTFOUND);
    GUID id;
    ASSERT_EQ(mesh->GetId(&id), DXFILE_OK);
    EXPECT_EQ(FormatGuid(id), "01020304-0506-0708-090A-0B0C0D0E0F10");

    // The material's child is its texture name: a string member is a char pointer.
    Ref<IDirectXFileObject> texObj;
    ASSERT_EQ(material->GetNextObject(&texObj), DXFILE_OK);
    Ref<IDirectXFileData> tex;
    ASSERT_EQ(texObj->QueryInterface(IID_IDirectXFileData, (void**)&tex), S_OK);
    ASSERT_EQ(tex->GetData("filename", &size, &data), DXFILE_OK);
    ASSERT_EQ(size, sizeof(char*));
    EXPECT_STREQ(*static_cast<char**>(data), "red.bmp");

    // The mesh's material list refers to Red; resolving gives that object.
    Ref<IDirectXFileObject> listObj;
    ASSERT_EQ(mesh->GetNextObject(&listObj), DXFILE_OK);
    Ref<IDirectXFileData> list;
    ASSERT_EQ(listObj->QueryInterface(IID_IDirectXFileData, (void**)&list), S_OK);
    Ref<IDirectXFileObject> refObj;
    ASSERT_EQ(list->GetNextObject(&refObj), DXFILE_OK);
    Ref<IDirectXFileData> notData;
    EXPECT_EQ(refObj->QueryInterface(IID_IDirectXFileData, (void**)&notData), E_NOINTERFACE);
    Ref<IDirectXFileDataReference> ref;
    ASSERT_EQ(refObj->QueryInterface(IID_IDirectXFileDataReference, (void**)&ref), S_OK);
    EXPECT_EQ(NameOf(ref.p), "Red");
    Ref<IDirectXFileData> resolved;
    ASSERT_EQ(ref->Resolve(&resolved), DXFILE_OK);
    EXPECT_EQ(NameOf(resolved.p), "Red");
    EXPECT_EQ(nol::d3dx8::xfile::DataObjectOf(resolved.p), nol::d3dx8::xfile::DataObjectOf(material.p));
    Ref<IDirectXFileObject> end;
    EXPECT_EQ(list->GetNextObject(&end), DXFILEERR_NOMOREOBJECTS);

    // The mesh can be taken from its data object, as a loader from a data object does.
    const nol::d3dx8::xfile::XData* meshData = nol::d3dx8::xfile::DataObjectOf(mesh.p);
    ASSERT_NE(meshData, nullptr);
    XMeshData m;
    std::string error;
    ASSERT_TRUE(ExtractXMeshObject(*meshData, m, error)) << error;
    ASSERT_EQ(m.materials.size(), 1u);
    EXPECT_EQ(m.materials[0].textureFilename, "red.bmp");
}

TEST(DirectXFile, NamesFollowTheBufferContract) {
    Ref<IDirectXFile> file;
    file.p = CreateWithTemplates();
    Ref<IDirectXFileEnumObject> e;
    ASSERT_EQ(OpenMemory(file.p, kFile, sizeof kFile - 1, &e), DXFILE_OK);
    Ref<IDirectXFileData> header, material;
    ASSERT_EQ(e->GetNextDataObject(&header), DXFILE_OK);
    ASSERT_EQ(e->GetNextDataObject(&material), DXFILE_OK);

    DWORD size = 0;
    EXPECT_EQ(material->GetName(nullptr, &size), DXFILEERR_BADVALUE);
    EXPECT_EQ(size, 4u);  // "Red" and its NUL
    char small[3] = {'x', 'x', 'x'};
    size = 3;
    EXPECT_EQ(material->GetName(small, &size), DXFILEERR_BADVALUE);
    EXPECT_EQ(small[0], 'x');
    char buf[8];
    size = sizeof buf;
    ASSERT_EQ(material->GetName(buf, &size), DXFILE_OK);
    EXPECT_STREQ(buf, "Red");
    EXPECT_EQ(size, 4u);
    size = sizeof buf;
    ASSERT_EQ(header->GetName(buf, &size), DXFILE_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(material->GetName(buf, nullptr), DXFILEERR_BADVALUE);
}

TEST(DirectXFile, LoadSources) {
    Ref<IDirectXFile> file;
    file.p = CreateWithTemplates();
    Ref<IDirectXFileEnumObject> e;
    DXFILELOADRESOURCE resource{nullptr, "MODEL", "X"};
    EXPECT_EQ(file->CreateEnumObject(&resource, DXFILELOAD_FROMRESOURCE, &e), DXFILEERR_RESOURCENOTFOUND);
    EXPECT_EQ(e.p, nullptr);
    EXPECT_EQ(file->CreateEnumObject((void*)"/nonexistent/model.x", DXFILELOAD_FROMFILE, &e),
              DXFILEERR_FILENOTFOUND);
    EXPECT_EQ(file->CreateEnumObject((void*)"x", 0x40, &e), DXFILEERR_BADVALUE);
    const char junk[] = "this is no x file at all";
    EXPECT_EQ(OpenMemory(file.p, junk, sizeof junk - 1, &e), DXFILEERR_BADFILETYPE);
    EXPECT_EQ(OpenMemory(file.p, kFile, 60, &e), DXFILEERR_PARSEERROR);
    const char array[] = "xof 0303txt 0032\nMesh { 99999; 1;2;3;; }";
    EXPECT_EQ(OpenMemory(file.p, array, sizeof array - 1, &e), DXFILEERR_BADARRAYSIZE);

    const std::string path = ::testing::TempDir() + "/dxfile_load_sources.x";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(kFile, 1, sizeof kFile - 1, f);
    std::fclose(f);
    ASSERT_EQ(file->CreateEnumObject((void*)path.c_str(), DXFILELOAD_FROMFILE, &e), DXFILE_OK);
    Ref<IDirectXFileData> first;
    EXPECT_EQ(e->GetNextDataObject(&first), DXFILE_OK);
    std::remove(path.c_str());
}

TEST(DirectXFile, ObjectsKeepTheirFileAlive) {
    IDirectXFile* file = CreateWithTemplates();
    IDirectXFileEnumObject* e = nullptr;
    ASSERT_EQ(OpenMemory(file, kFile, sizeof kFile - 1, &e), DXFILE_OK);
    IDirectXFileData* header = nullptr;
    IDirectXFileData* material = nullptr;
    ASSERT_EQ(e->GetNextDataObject(&header), DXFILE_OK);
    ASSERT_EQ(e->GetNextDataObject(&material), DXFILE_OK);
    EXPECT_EQ(header->Release(), 0u);
    EXPECT_EQ(e->Release(), 0u);
    EXPECT_EQ(file->Release(), 0u);
    // The material and the tree behind it outlive the enumerator and the file.
    EXPECT_EQ(material->AddRef(), 2u);
    EXPECT_EQ(material->Release(), 1u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(material->QueryInterface(IID_IUnknown, (void**)&unknown), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(NameOf(material), "Red");
    EXPECT_EQ(material->Release(), 0u);
}

TEST(DirectXFile, RegisteringBrokenTemplatesFails) {
    Ref<IDirectXFile> file;
    ASSERT_EQ(DirectXFileCreate(&file), DXFILE_OK);
    const char broken[] = "xof 0303txt 0032\ntemplate X { <00000000-0000-0000-0000-000000000001> Nope n; }";
    EXPECT_EQ(file->RegisterTemplates((void*)broken, sizeof broken - 1), DXFILEERR_PARSEERROR);
    EXPECT_EQ(file->RegisterTemplates(nullptr, 0), DXFILEERR_BADVALUE);
}

}  // namespace
