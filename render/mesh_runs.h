// A large model's faces in runs of consecutive faces, each with its model-space
// box, so that a draw skips the runs that lie wholly outside the view. The faces
// drawn keep their order and nothing outside the view makes a pixel, so the
// picture is the same as drawing every face.
#pragma once

#include <memory>
#include <vector>

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"
#include "d3dx8/d3dx8mesh.h"

// The six planes of the clip volume of a world-view-projection matrix, in the
// model space that matrix starts from.
class ViewVolume {
public:
    explicit ViewVolume(const D3DXMATRIX& worldViewProjection);
    // True when the box lies wholly outside one of the planes.
    bool Excludes(const float lo[3], const float hi[3]) const;

private:
    float planes_[6][4];
};

class MeshRuns {
public:
    // Models with fewer faces are drawn whole.
    static constexpr DWORD kMinFaces = 4096;
    static constexpr DWORD kRunFaces = 64;

    // Null for a small mesh, one without an attribute table, or one whose buffers
    // cannot be read.
    static std::unique_ptr<MeshRuns> Build(ID3DXMesh* mesh);

    // Draws the faces of subset attribId whose runs the volume does not exclude,
    // setting the device's vertex shader, stream and indices as DrawSubset does.
    // The number of faces drawn, or -1 when a call failed.
    int DrawSubset(IDirect3DDevice8* device, ID3DXMesh* mesh, DWORD attribId, const ViewVolume& volume) const;

    size_t RunCount() const { return runs_.size(); }

private:
    struct Run {
        DWORD attribId;
        DWORD faceStart, faceCount;
        DWORD minIndex, maxIndex;  // the vertices the run's faces use
        float lo[3], hi[3];
    };
    std::vector<Run> runs_;
};
