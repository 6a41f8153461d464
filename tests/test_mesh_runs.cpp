// A large model drawn in runs that skip what lies outside the view must give the
// picture of drawing every face, pixel for pixel, from views inside and around the
// game's course models, while drawing only a part of their faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "render/frame.h"
#include "render/mesh.h"
#include "render/mesh_runs.h"
#include "render_fixture.h"
#include "scene/light.h"

namespace {

constexpr D3DCOLOR kSky = 0xFF102040;

class MeshRunsDraw : public FrameworkDevice {
protected:
    std::vector<uint32_t> DrawFrom(Mesh& mesh, const D3DXMATRIX& world, const D3DXVECTOR3& eye,
                                   const D3DXVECTOR3& at) {
        const D3DXVECTOR3 up(0, 1, 0);
        D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
        if (BeginFrame(kSky) != 1) return {};
        SetLighting(TRUE);
        SetZWrite(TRUE);
        mesh.Draw(world);
        std::vector<uint32_t> pixels = ReadBack(nullptr);
        EndFrame();
        return pixels;
    }

    // How many pixels of the culled picture differ from drawing every face; *model
    // counts the pixels the model covers in the whole picture.
    int CulledAgainstWhole(Mesh& mesh, const D3DXMATRIX& world, const D3DXVECTOR3& eye, const D3DXVECTOR3& at,
                           int* model) {
        const std::vector<uint32_t> culled = DrawFrom(mesh, world, eye, at);
        std::unique_ptr<MeshRuns> runs = std::move(mesh.drawRuns);
        const std::vector<uint32_t> whole = DrawFrom(mesh, world, eye, at);
        mesh.drawRuns = std::move(runs);
        EXPECT_EQ(culled.size(), 640u * 480u);
        if (culled.size() != 640u * 480u || whole.size() != culled.size()) return -1;
        int differ = 0;
        for (size_t i = 0; i < whole.size(); ++i) {
            differ += whole[i] != culled[i];
            *model += whole[i] != kSky;
        }
        return differ;
    }

    // The faces the runs let through from this view, over every subset.
    int FacesDrawnFrom(Mesh& mesh, const D3DXMATRIX& world, const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
        const D3DXVECTOR3 up(0, 1, 0);
        D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
        if (BeginFrame(kSky) != 1) return -1;
        D3DXMATRIX all = world * GraphicsState.viewMatrix * GraphicsState.projMatrix;
        const ViewVolume volume(all);
        int faces = 0;
        for (DWORD i = 0; i < mesh.materialCount; ++i) {
            const int drawn = mesh.drawRuns->DrawSubset(GraphicsState.device, mesh.mesh, i, volume);
            if (drawn < 0) return -1;
            faces += drawn;
        }
        EndFrame();
        return faces;
    }
};

// Moved through its vertex buffer to where its old runs lay outside the view, a
// model is drawn where it now is, as drawing every face draws it.
TEST_F(MeshRunsDraw, ARewrittenModelIsDrawnWhereItNowIs) {
    NOL_SKIP_WITHOUT_DISPLAY();
    SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
    Mesh mesh;
    ASSERT_EQ(mesh.Load((std::string(NOL_DATA_DIR) + "/course2nd.x").c_str(), 0, 1), 1);
    ASSERT_NE(mesh.drawRuns, nullptr);
    const D3DXVECTOR3 size = mesh.boxMax - mesh.boxMin;
    const float shift = 3 * std::max(size.x, size.z);
    ShiftVertices(mesh.mesh, D3DXVECTOR3(shift, 0, 0));

    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    const D3DXVECTOR3 middle = (mesh.boxMin + mesh.boxMax) * 0.5f + D3DXVECTOR3(shift, 0, 0);
    const D3DXVECTOR3 eye = middle + D3DXVECTOR3(0, std::max(size.x, size.z), -0.01f);
    int model = 0;
    EXPECT_EQ(CulledAgainstWhole(mesh, world, eye, middle, &model), 0);
    EXPECT_GT(model, 640 * 480 / 10);  // the model is in the picture
}

TEST_F(MeshRunsDraw, SkippingRunsOutsideTheViewChangesNoPixel) {
    NOL_SKIP_WITHOUT_DISPLAY();
    SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
    struct Case {
        const char* file;
        float scale;
        D3DXVECTOR3 position;
    };
    // As the courses place them.
    const Case cases[] = {{"course1st@5.x", 150, {0, -10.1f, 0}},
                          {"course2nd.x", 150, {0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Mesh mesh;
        ASSERT_EQ(mesh.Load((std::string(NOL_DATA_DIR) + "/" + c.file).c_str(), 0, 1), 1);
        ASSERT_NE(mesh.drawRuns, nullptr) << mesh.mesh->GetNumFaces() << " faces";
        D3DXMATRIX world, scale;
        D3DXMatrixScaling(&scale, c.scale, c.scale, c.scale);
        D3DXMatrixTranslation(&world, c.position.x, c.position.y, c.position.z);
        world = scale * world;
        D3DXVECTOR3 lo, hi;
        D3DXVec3TransformCoord(&lo, &mesh.boxMin, &world);
        D3DXVec3TransformCoord(&hi, &mesh.boxMax, &world);
        const D3DXVECTOR3 middle = (lo + hi) * 0.5f, size = hi - lo;
        // Points on the model itself, spread through its vertices.
        std::vector<D3DXVECTOR3> on;
        BYTE* vertices = nullptr;
        ASSERT_EQ(mesh.mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices), D3D_OK);
        const UINT stride = D3DXGetFVFVertexSize(mesh.mesh->GetFVF()), count = mesh.mesh->GetNumVertices();
        for (UINT k = 0; k < 6; ++k) {
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, reinterpret_cast<const D3DXVECTOR3*>(vertices + size_t(count / 6 * k) * stride),
                                   &world);
            on.push_back(p);
        }
        mesh.mesh->UnlockVertexBuffer();
        const D3DXVECTOR3 lift(0, 3, 0);
        // Just above the model looking along it to other parts of it, and at a
        // slant; from above; from outside looking in; from outside looking away.
        const std::pair<D3DXVECTOR3, D3DXVECTOR3> views[] = {
            {on[0] + lift, on[2]},
            {on[1] + lift, on[4]},
            {on[3] + lift, on[5] + D3DXVECTOR3(0, -20, 0)},
            {on[5] + lift, on[0]},
            {D3DXVECTOR3(middle.x, hi.y + size.x / 2, middle.z), D3DXVECTOR3(middle.x + 1, lo.y, middle.z + 1)},
            {D3DXVECTOR3(lo.x - size.x / 2, hi.y + 50, lo.z - size.z / 2), middle},
            {D3DXVECTOR3(lo.x - 10, middle.y, middle.z), D3DXVECTOR3(lo.x - 200, middle.y, middle.z)},
        };
        int changed = 0;
        for (const auto& [eye, at] : views) {
            // The model is in the picture in every view but the last.
            EXPECT_EQ(CulledAgainstWhole(mesh, world, eye, at, &changed), 0)
                << "eye " << eye.x << " " << eye.y << " " << eye.z;
        }
        EXPECT_GT(changed, 640 * 480 / 2) << "pixels of the model over the views";

        // From just above it, most of the model is behind or beside the camera.
        const int total = int(mesh.mesh->GetNumFaces());
        const int inside = FacesDrawnFrom(mesh, world, views[0].first, views[0].second);
        EXPECT_GT(inside, 0);
        EXPECT_LT(inside, total * 3 / 4);
        EXPECT_EQ(FacesDrawnFrom(mesh, world, views[6].first, views[6].second), 0) << "looking away from it";
    }
}

TEST_F(MeshRunsDraw, SmallModelsAreDrawnWhole) {
    NOL_SKIP_WITHOUT_DISPLAY();
    Mesh gate;
    ASSERT_EQ(gate.Load((std::string(NOL_DATA_DIR) + "/objstart.x").c_str(), 0, 1), 1);
    EXPECT_LT(gate.mesh->GetNumFaces(), MeshRuns::kMinFaces);
    EXPECT_EQ(gate.drawRuns, nullptr);
    Mesh box;
    ASSERT_EQ(box.CreateBox(1, 1, 1, 1, 0, 0, 1), 1);
    EXPECT_EQ(box.drawRuns, nullptr);
}

TEST(ViewVolume, ExcludesOnlyBoxesWhollyOutside) {
    D3DXMATRIX view, projection;
    const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 1.0f, 1.0f, 100.0f);
    const ViewVolume volume(view * projection);
    auto excludes = [&](D3DXVECTOR3 lo, D3DXVECTOR3 hi) { return volume.Excludes(&lo.x, &hi.x); };
    EXPECT_FALSE(excludes({-1, -1, 10}, {1, 1, 11}));     // straight ahead
    EXPECT_TRUE(excludes({-1, -1, -11}, {1, 1, -10}));    // behind
    EXPECT_TRUE(excludes({-1, -1, 0.2f}, {1, 1, 0.5f}));  // nearer than the near plane
    EXPECT_TRUE(excludes({-1, -1, 101}, {1, 1, 120}));    // beyond the far plane
    EXPECT_TRUE(excludes({12, -1, 10}, {13, 1, 11}));     // right of a 90° view at depth 10-11
    EXPECT_FALSE(excludes({10.5f, -1, 10}, {13, 1, 11}));  // its corner reaches in
    EXPECT_FALSE(excludes({-1000, -1000, -1000}, {1000, 1000, 1000}));  // around the eye
    EXPECT_FALSE(excludes({NAN, NAN, NAN}, {NAN, NAN, NAN}));
}

}  // namespace
