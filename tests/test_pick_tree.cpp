// Picking through the box tree must give exactly what testing every triangle
// gives: the same hit point and triangle, bit for bit, on the game's own course
// models and on awkward rays, while visiting only a sliver of the triangles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "render/mesh.h"
#include "render/pick_tree.h"
#include "render_fixture.h"
#include "scene/intersect.h"
#include "scene/node.h"

namespace {

struct Answer {
    int result = 0;
    D3DXVECTOR3 hit{0, 0, 0};
    float triangle[9] = {};
    bool operator==(const Answer& o) const {
        return result == o.result && std::memcmp(&hit, &o.hit, sizeof hit) == 0 &&
               std::memcmp(triangle, o.triangle, sizeof triangle) == 0;
    }
};

// Every triangle in face order, kept nearest by the same rule as the node's test.
Answer EveryTriangle(CNode& node, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) {
    Answer answer;
    ID3DXMesh* mesh = node.model->mesh;
    D3DXMATRIX world = node.GetWorldMatrix(), inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) return answer;
    D3DXVECTOR3 o, d;
    D3DXVec3TransformNormal(&o, &origin, &inverse);
    D3DXVec3TransformNormal(&d, &direction, &inverse);
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    mesh->GetVertexBuffer(&vb);
    mesh->GetIndexBuffer(&ib);
    BYTE *v = nullptr, *i = nullptr;
    vb->Lock(0, 0, &v, D3DLOCK_READONLY);
    ib->Lock(0, 0, &i, D3DLOCK_READONLY);
    const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    const WORD* index = reinterpret_cast<const WORD*>(i);
    D3DXVECTOR3 hit(1000.0f, 1000.0f, 1000.0f);
    int hits = 0;
    for (UINT f = 0; f < mesh->GetNumFaces(); ++f) {
        D3DXVECTOR3 c[3];
        for (int k = 0; k < 3; ++k) std::memcpy(&c[k], v + size_t(index[3 * f + k]) * stride, sizeof c[k]);
        float t, u, w;
        if (!IntersectTriangle(o, d, c[0], c[1], c[2], &t, &u, &w)) continue;
        D3DXVECTOR3 p = c[0] + u * (c[1] - c[0]) + w * (c[2] - c[0]);
        D3DXVECTOR3 toP = p - o, toHit = hit - o;
        if (D3DXVec3Dot(&toP, &d) < 0.0f) continue;
        if (D3DXVec3Length(&toP) >= D3DXVec3Length(&toHit)) continue;
        hit = p;
        std::memcpy(answer.triangle, c, sizeof c);
        ++hits;
    }
    ib->Unlock();
    vb->Unlock();
    ib->Release();
    vb->Release();
    if (hits) {
        answer.result = 1;
        answer.hit = hit * node.scale;
    }
    return answer;
}

Answer ThroughTheNode(CNode& node, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) {
    Answer answer;
    Ray ray{origin, direction, &answer.hit, answer.triangle};
    answer.result = node.Pick(ray);
    if (!answer.result) std::memset(answer.triangle, 0, sizeof answer.triangle);
    return answer;
}

class PickTreeOnDevice : public FrameworkDevice {
protected:
    // A 2-unit box at the origin, picked from above: its top is at 1.
    void PickABox() {
        ASSERT_EQ(mesh.CreateBox(2, 2, 2, 1, 1, 1, 1), 1);
        node.Setup(&mesh, 0, 0, 0, 1);
        ASSERT_EQ(node.Pick(down), 1);
        EXPECT_FLOAT_EQ(hit.y, 1.0f);
    }

    Mesh mesh;
    CNode node;
    D3DXVECTOR3 hit;
    Ray down{D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, -1, 0), &hit, nullptr};
};

TEST_F(PickTreeOnDevice, CourseModelsGiveExactlyTheAnswersOfEveryTriangle) {
    NOL_SKIP_WITHOUT_DISPLAY();
    struct Case {
        const char* file;
        float scale;
        D3DXVECTOR3 position;
    };
    // As the courses place them; the gate turned a quarter to test a rotated node.
    const Case cases[] = {{"course1st@5.x", 150, {0, -10.1f, 0}},
                          {"course2nd.x", 150, {0, 0, 0}},
                          {"green2nd.x", 170, {0, -1, 0}},
                          {"objstart.x", 30, {1, -1, -110}}};
    std::mt19937 random(7);
    for (const Case& c : cases) {
        Mesh mesh;
        ASSERT_EQ(mesh.Load((std::string(NOL_DATA_DIR) + "/" + c.file).c_str(), 0, 1), 1) << c.file;
        CNode node;
        node.Setup(&mesh, 0, 0, 0, c.scale);
        node.SetLocalPosition(c.position.x, c.position.y, c.position.z);
        if (std::string(c.file) == "objstart.x") node.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
        const float reach = c.scale * std::max({std::fabs(mesh.boxMin.x), std::fabs(mesh.boxMax.x),
                                                std::fabs(mesh.boxMin.z), std::fabs(mesh.boxMax.z)});
        std::uniform_real_distribution<float> across(-1.1f * reach, 1.1f * reach), unit(-1.0f, 1.0f);
        int hits = 0, rays = 0;
        for (int i = 0; i < 1500; ++i) {
            // Mostly the game's rays: straight down from a wheel's height; then
            // slanted and upward rays, and rays along an axis from far outside.
            D3DXVECTOR3 origin(across(random), 0.8f - c.position.y, across(random));
            D3DXVECTOR3 direction(0, -1, 0);
            if (i % 3 == 1) direction = D3DXVECTOR3(unit(random), unit(random), unit(random));
            if (i % 3 == 2) {
                origin = D3DXVECTOR3(-3 * reach, unit(random) * 20, across(random));
                direction = D3DXVECTOR3(1, 0, 0);
            }
            const Answer expected = EveryTriangle(node, origin, direction);
            const Answer got = ThroughTheNode(node, origin, direction);
            ASSERT_TRUE(got == expected) << c.file << " ray " << i << " from (" << origin.x << ", " << origin.y
                                         << ", " << origin.z << "): " << got.result << " vs " << expected.result;
            hits += expected.result;
            ++rays;
        }
        // The comparison means something only if enough rays hit (the roads are
        // narrow: a few percent of the square around them).
        EXPECT_GE(hits, 40) << c.file << " of " << rays;
    }
}

TEST_F(PickTreeOnDevice, ANewModelInTheSameMeshIsPickedAfresh) {
    NOL_SKIP_WITHOUT_DISPLAY();
    PickABox();
    ASSERT_EQ(mesh.CreateBox(6, 6, 6, 1, 1, 1, 1), 1);
    ASSERT_EQ(node.Pick(down), 1);
    EXPECT_FLOAT_EQ(hit.y, 3.0f);  // not the old box's top
    mesh.Release();
    EXPECT_EQ(node.Pick(down), 0);
}

// A program that rewrites a loaded model's vertices picks the model as it now
// stands.
TEST_F(PickTreeOnDevice, ARewrittenModelIsPickedAsItNowStands) {
    NOL_SKIP_WITHOUT_DISPLAY();
    PickABox();

    auto lift = [&](float by) { ShiftVertices(mesh.mesh, D3DXVECTOR3(0, by, 0)); };
    lift(5.0f);
    ASSERT_EQ(node.Pick(down), 1);
    EXPECT_FLOAT_EQ(hit.y, 6.0f);
    lift(20.0f);  // now above the ray's start
    EXPECT_EQ(node.Pick(down), 0);
    lift(-25.0f);
    ASSERT_EQ(node.Pick(down), 1);
    EXPECT_FLOAT_EQ(hit.y, 1.0f);
}

}  // namespace

TEST(PickTree, OnlyTheFacesUnderARayAreCandidatesAndBrokenFacesNever) {
    // A 100 x 100 grid of unit squares, two triangles each, plus one face with a
    // NaN corner.
    std::vector<D3DXVECTOR3> corners;
    for (int z = 0; z < 100; ++z)
        for (int x = 0; x < 100; ++x) {
            const D3DXVECTOR3 a(float(x), 0, float(z)), b(float(x), 0, float(z + 1)), c(float(x + 1), 0, float(z)),
                d(float(x + 1), 0, float(z + 1));
            corners.insert(corners.end(), {a, b, c, b, d, c});
        }
    corners.insert(corners.end(), {D3DXVECTOR3(NAN, 0, 0), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0)});
    const PickTree tree(corners);
    ASSERT_EQ(tree.FaceCount(), 20001u);

    std::vector<uint32_t> faces;
    tree.Candidates(D3DXVECTOR3(50.5f, 5, 50.5f), D3DXVECTOR3(0, -1, 0), &faces);
    ASSERT_FALSE(faces.empty());
    EXPECT_LE(faces.size(), 24u);  // the square under the ray and its neighbours at most
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end()));
    const uint32_t under = 2 * (50 * 100 + 50);
    EXPECT_NE(std::find(faces.begin(), faces.end(), under), faces.end());
    EXPECT_EQ(std::find(faces.begin(), faces.end(), 20000u), faces.end());

    // Behind the origin, beside the grid, and a NaN ray: nothing.
    tree.Candidates(D3DXVECTOR3(50.5f, 5, 50.5f), D3DXVECTOR3(0, 1, 0), &faces);
    EXPECT_TRUE(faces.empty());
    tree.Candidates(D3DXVECTOR3(150, 5, 50), D3DXVECTOR3(0, -1, 0), &faces);
    EXPECT_TRUE(faces.empty());
    tree.Candidates(D3DXVECTOR3(NAN, 5, 50), D3DXVECTOR3(0, -1, 0), &faces);
    EXPECT_TRUE(faces.empty());

    // A ray along the grid's plane meets a whole row.
    tree.Candidates(D3DXVECTOR3(-10, 0, 20.5f), D3DXVECTOR3(1, 0, 0), &faces);
    EXPECT_GE(faces.size(), 200u);
    EXPECT_LE(faces.size(), 800u);

    const PickTree empty(std::vector<D3DXVECTOR3>{});
    empty.Candidates(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, -1, 0), &faces);
    EXPECT_TRUE(faces.empty());
}
