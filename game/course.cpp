// Course set-up and drawing: fixed files, positions and scales per course.
#include "game/course.h"

#include "game/model_courses.h"
#include "render/direct3d.h"
#include "win32/windows.h"

namespace {

constexpr D3DCOLOR kNoColourKey = 0;
constexpr UINT kOneMipLevel = 1;
constexpr DWORD kPointFilter = 1;
constexpr DWORD kLinearFilter = 2;

void LoadModel(Mesh& mesh, const char* file) { mesh.Load(file, kNoColourKey, kOneMipLevel); }

void Bind(CNode& node, Mesh& mesh, float scale) { node.Setup(&mesh, 0.0f, 0.0f, 0.0f, scale); }

void Place(CNode& node, const D3DVECTOR& p) { node.SetLocalPosition(p.x, p.y, p.z); }

void Face(CNode& node, const D3DXVECTOR3& forward) { node.SetDirection(forward, D3DXVECTOR3(0, 1, 0)); }

}  // namespace

Course::Course() {
    for (D3DXVECTOR3& p : objectPos) p = D3DXVECTOR3(0, 0, 0);
}

float Course::GroundHeight(float x, float z) const { return terrain.GetHeight(x, z) + 1.0f; }

void Course::SetupCourse(int number) {
    if (number < 1 || number > 3) return;
    if (number != 1) isTerrain = 0;
    SetTextureFilter(0, kLinearFilter);
    SetCurrentDirectoryA("data");
    LoadModel(envMesh, "env.x");
    switch (number) {
    case 1: SetupTerrainCourse(); break;
    case 2: SetupModelCourse(kFirstModelCourse); break;
    case 3: SetupModelCourse(kSecondModelCourse); break;
    }
}

void Course::SetupTerrainCourse() {
    terrainTexture.Load("hf_tex72.bmp", kNoColourKey, kOneMipLevel);
    terrain.Build("hf_bump7.bmp", D3DXVECTOR3(0, -5, 0), 20.0f, 8.0f, 0xFFFFFFFF);
    wallHeight = 3.96875f;
    offRoadHeight = 0.0f;
    startPos = D3DXVECTOR3(360, -2.5f, 12);
    // The road runs along +z at the start line; without a heading of its own the
    // car would inherit the last model course's and start turned off the road.
    startHeading = 0.0f;
    LoadModel(startMesh, "objstart.x");
    LoadModel(checkMesh, "objcheck.x");
    Bind(startNode, startMesh, 30.0f);
    Bind(checkNode, checkMesh, 30.0f);
    Place(startNode, {360, -10, 12});
    Place(checkNode, {-370, -10, 8});
    Face(startNode, D3DXVECTOR3(0, 0, 1));
    Face(checkNode, D3DXVECTOR3(0, 0, 1));
    isTerrain = 1;
}

void Course::SetupModelCourse(const ModelCourse& layout) {
    LoadModel(groundMesh, layout.groundFile);
    LoadModel(roadMesh, layout.roadFile);
    LoadModel(startMesh, "objstart.x");
    LoadModel(checkMesh, "objcheck.x");
    Bind(roadNode, roadMesh, 150.0f);
    Bind(groundNode, groundMesh, layout.groundScale);
    Bind(startNode, startMesh, 30.0f);
    Bind(checkNode, checkMesh, 30.0f);
    Place(groundNode, layout.groundPos);
    Place(startNode, layout.startGate);
    Place(checkNode, layout.checkGate);
    Face(startNode, D3DXVECTOR3(1, 0, 0));
    Face(checkNode, D3DXVECTOR3(1, 0, 0));
    startPos = layout.startPos;
    startHeading = layout.startHeading;

    for (const SceneryModel& model : layout.models) LoadModel(objectMeshes[model.element], model.file);
    int index = 0;
    for (const SceneryObject& object : layout.objects)
        PlaceObject(index++, &objectMeshes[object.element], object.scale, object.pos);
    lastObject = layout.lastObject;
}

void Course::PlaceObject(int index, Mesh* mesh, float scale, const D3DXVECTOR3& pos) {
    objectMesh[index] = mesh;
    objectScale[index] = scale;
    objectPos[index] = pos;
}

void Course::DrawCourse() {
    if (isTerrain == 1) {
        SetTextureFilter(0, kPointFilter);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        if (GraphicsState.device) GraphicsState.device->SetTexture(0, terrainTexture.GetTexture());
        SetDefaultMaterial();
        SetWorldMatrix(GraphicsState.orientationMatrices[0]);
        terrain.Draw();
        startNode.Draw();
        checkNode.Draw();
        return;
    }
    SetLighting(TRUE);
    SetZWrite(TRUE);
    SetTextureFilter(0, kLinearFilter);
    roadNode.Draw();
    startNode.Draw();
    checkNode.Draw();
    groundNode.Draw();
    D3DXMATRIX world;
    for (int i = 0; i <= lastObject && i < kCourseObjects; ++i) {
        if (!objectMesh[i]) continue;
        D3DXMatrixScaling(&world, objectScale[i], objectScale[i], objectScale[i]);
        world._41 = objectPos[i].x;
        world._42 = objectPos[i].y;
        world._43 = objectPos[i].z;
        objectMesh[i]->Draw(world);
    }
    if (lastObject == -1 && objectMesh[0]) {
        // The side barriers: the course's width and length, fifteen units high.
        D3DXMatrixScaling(&world, objectScale[0], 15.0f, objectScale[0]);
        world._41 = objectPos[0].x;
        world._42 = objectPos[0].y;
        world._43 = objectPos[0].z;
        objectMesh[0]->Draw(world);
    }
}
