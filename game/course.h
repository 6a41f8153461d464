// One race course: the terrain course (course 1, a heightfield) or a model course
// (courses 2 and 3, a road model over a ground model), its two gates, its
// scenery and where the car starts.
#pragma once

#include "d3dx8/d3dx8math.h"
#include "render/mesh.h"
#include "render/terrain.h"
#include "render/texture.h"
#include "scene/node.h"

constexpr int kCourseObjects = 30;

struct ModelCourse;

class Course {
public:
    Course();

    // 1, 2 or 3; any other number changes nothing.
    void SetupCourse(int number);
    void DrawCourse();
    // The terrain's height under (x, z), raised by one unit: what the car compares
    // with offRoadHeight and wallHeight.
    float GroundHeight(float x, float z) const;

    Terrain terrain;
    Texture terrainTexture;
    Mesh envMesh;
    Mesh roadMesh;
    Mesh groundMesh;
    Mesh startMesh;
    Mesh checkMesh;
    Mesh objectMeshes[kCourseObjects];
    Mesh* objectMesh[kCourseObjects] = {};
    D3DXVECTOR3 objectPos[kCourseObjects];
    float objectScale[kCourseObjects] = {};
    // Objects 0..lastObject are drawn; -1 draws object 0 alone, 15 units high.
    int lastObject = -1;
    CNode roadNode;
    CNode groundNode;
    CNode startNode;
    CNode checkNode;
    float offRoadHeight = 0.0f;
    float wallHeight = 0.0f;
    D3DXVECTOR3 startPos{0, 0, 0};
    float startHeading = 0.0f;
    int isTerrain = 0;

private:
    void SetupTerrainCourse();
    // Courses 2 and 3: the same steps with their own files and places.
    void SetupModelCourse(const ModelCourse& layout);
    void PlaceObject(int index, Mesh* mesh, float scale, const D3DXVECTOR3& pos);
};
