// Loading meshes from .x files into ID3DXMesh objects.
#pragma once

#include "d3dx8/d3dx8mesh.h"
#include "d3dx8/dxfile.h"

HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR filename, DWORD options, IDirect3DDevice8* device,
                                 LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                 LPD3DXMESH* mesh);
HRESULT WINAPI D3DXLoadMeshFromXof(IDirectXFileData* xofMesh, DWORD options, IDirect3DDevice8* device,
                                   LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                   LPD3DXMESH* mesh);
