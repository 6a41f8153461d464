// The DirectX file API: opening .x files (from a file or from memory) and walking
// their data objects, their children and references. Templates are registered on
// the file object, usually the standard set in D3DRM_XTEMPLATES.
#pragma once

#include "com/objbase.h"
#include "d3dx8/rmxfguid.h"
#include "d3dx8/rmxftmpl.h"

typedef GUID* LPGUID;

typedef DWORD DXFILELOADOPTIONS;
#define DXFILELOAD_FROMFILE 0x00L
#define DXFILELOAD_FROMRESOURCE 0x01L
#define DXFILELOAD_FROMMEMORY 0x02L

struct DXFILELOADRESOURCE {
    HMODULE hModule;
    LPCSTR lpName;
    LPCSTR lpType;
};

struct DXFILELOADMEMORY {
    LPVOID lpMemory;
    DWORD dSize;
};

// Results, in the DirectX file facility (0x876).
#define DXFILE_ERRORCODE(code) ((HRESULT)(0x88760000u | (code)))
#define DXFILE_OK S_OK
#define DXFILEERR_BADOBJECT DXFILE_ERRORCODE(850)
#define DXFILEERR_BADVALUE DXFILE_ERRORCODE(851)
#define DXFILEERR_BADTYPE DXFILE_ERRORCODE(852)
#define DXFILEERR_BADSTREAMHANDLE DXFILE_ERRORCODE(853)
#define DXFILEERR_BADALLOC DXFILE_ERRORCODE(854)
#define DXFILEERR_NOTFOUND DXFILE_ERRORCODE(855)
#define DXFILEERR_NOTDONEYET DXFILE_ERRORCODE(856)
#define DXFILEERR_FILENOTFOUND DXFILE_ERRORCODE(857)
#define DXFILEERR_RESOURCENOTFOUND DXFILE_ERRORCODE(858)
#define DXFILEERR_URLNOTFOUND DXFILE_ERRORCODE(859)
#define DXFILEERR_BADRESOURCE DXFILE_ERRORCODE(860)
#define DXFILEERR_BADFILETYPE DXFILE_ERRORCODE(861)
#define DXFILEERR_BADFILEVERSION DXFILE_ERRORCODE(862)
#define DXFILEERR_BADFILEFLOATSIZE DXFILE_ERRORCODE(863)
#define DXFILEERR_BADFILECOMPRESSIONTYPE DXFILE_ERRORCODE(864)
#define DXFILEERR_BADFILE DXFILE_ERRORCODE(865)
#define DXFILEERR_PARSEERROR DXFILE_ERRORCODE(866)
#define DXFILEERR_NOTEMPLATE DXFILE_ERRORCODE(867)
#define DXFILEERR_BADARRAYSIZE DXFILE_ERRORCODE(868)
#define DXFILEERR_BADDATAREFERENCE DXFILE_ERRORCODE(869)
#define DXFILEERR_INTERNALERROR DXFILE_ERRORCODE(870)
#define DXFILEERR_NOMOREOBJECTS DXFILE_ERRORCODE(871)
#define DXFILEERR_BADINTRINSICS DXFILE_ERRORCODE(872)
#define DXFILEERR_NOMORESTREAMHANDLES DXFILE_ERRORCODE(873)
#define DXFILEERR_NOMOREDATA DXFILE_ERRORCODE(874)
#define DXFILEERR_BADCACHEFILE DXFILE_ERRORCODE(875)
#define DXFILEERR_NOINTERNET DXFILE_ERRORCODE(876)

extern const IID IID_IDirectXFile;
extern const IID IID_IDirectXFileEnumObject;
extern const IID IID_IDirectXFileObject;
extern const IID IID_IDirectXFileData;
extern const IID IID_IDirectXFileDataReference;

struct IDirectXFile;
struct IDirectXFileEnumObject;
struct IDirectXFileObject;
struct IDirectXFileData;
struct IDirectXFileDataReference;
typedef IDirectXFile* LPDIRECTXFILE;
typedef IDirectXFileEnumObject* LPDIRECTXFILEENUMOBJECT;
typedef IDirectXFileObject* LPDIRECTXFILEOBJECT;
typedef IDirectXFileData* LPDIRECTXFILEDATA;
typedef IDirectXFileDataReference* LPDIRECTXFILEDATAREFERENCE;

struct IDirectXFile : IUnknown {
    // source is a path (DXFILELOAD_FROMFILE), a DXFILELOADMEMORY* or a
    // DXFILELOADRESOURCE*. The program carries no resources, so that form
    // answers DXFILEERR_RESOURCENOTFOUND.
    STDMETHOD(CreateEnumObject)(LPVOID source, DXFILELOADOPTIONS options, LPDIRECTXFILEENUMOBJECT* enumObject) = 0;
    // data is a .x file holding template declarations.
    STDMETHOD(RegisterTemplates)(LPVOID data, DWORD size) = 0;
};

struct IDirectXFileEnumObject : IUnknown {
    // The top-level data objects in file order; DXFILEERR_NOMOREOBJECTS after the last.
    STDMETHOD(GetNextDataObject)(LPDIRECTXFILEDATA* dataObject) = 0;
};

struct IDirectXFileObject : IUnknown {
    // size: in, the buffer's size; out, the size the name needs, NUL included
    // (0 for an object without a name).
    STDMETHOD(GetName)(LPSTR name, LPDWORD size) = 0;
    STDMETHOD(GetId)(LPGUID id) = 0;
};

struct IDirectXFileData : IDirectXFileObject {
    // The packed data of the whole object (member null) or of one member.
    STDMETHOD(GetData)(LPCSTR member, DWORD* size, void** data) = 0;
    STDMETHOD(GetType)(const GUID** type) = 0;
    // Child objects and references in file order; DXFILEERR_NOMOREOBJECTS after the last.
    STDMETHOD(GetNextObject)(LPDIRECTXFILEOBJECT* child) = 0;
};

struct IDirectXFileDataReference : IDirectXFileObject {
    STDMETHOD(Resolve)(LPDIRECTXFILEDATA* dataObject) = 0;
};

HRESULT DirectXFileCreate(LPDIRECTXFILE* file);
