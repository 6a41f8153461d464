// The lens flare as a recording device sees it, call by call: blending, the
// billboards, the square, the six elements, the flash, the random numbers drawn
// and the state left behind, for a light behind, beside, near and straight ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "d3d8_memory_fakes.h"
#include "render/graphics_state.h"
#include "render/view.h"
#include "scene/camera.h"
#include "scene/lens_flare.h"

namespace {

// The calls the flare makes, in order.
struct Call {
    enum Kind { State, World, Texture, Draw } kind;
    DWORD what = 0, value = 0;  // render state and value
    D3DMATRIX world{};
    IDirect3DBaseTexture8* texture = nullptr;
    size_t draw = 0;  // index into draws
};

struct FlareDevice : MemoryDevice {
    std::vector<Call> calls;

    HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override {
        calls.push_back({Call::State, DWORD(s), v});
        return MemoryDevice::SetRenderState(s, v);
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE s, const D3DMATRIX* m) override {
        if (s == D3DTS_WORLD) calls.push_back({Call::World, 0, 0, *m});
        return MemoryDevice::SetTransform(s, m);
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* t) override {
        if (stage == 0) calls.push_back({Call::Texture, 0, 0, {}, t});
        return MemoryDevice::SetTexture(stage, t);
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override {
        HRESULT hr = MemoryDevice::DrawPrimitive(type, start, count);
        calls.push_back({Call::Draw, 0, 0, {}, nullptr, draws.size() - 1});
        return hr;
    }
};

// A drawn vertex: position, colour (all the flare's layouts start so, but for
// the screen layout's rhw).
struct Drawn {
    float x, y, z;
    D3DCOLOR colour;
};

constexpr unsigned kSeed = 12345;
constexpr float kSize = 40;

class LensFlare : public ::testing::Test {
protected:
    std::unique_ptr<FlareDevice> ownedDevice = std::make_unique<FlareDevice>();
    FlareDevice* device = ownedDevice.get();
    IDirect3DTexture8* sun = nullptr;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        // A back buffer other than 640 x 480: the flash must not care.
        GraphicsState.screenWidth = 1024;
        GraphicsState.screenHeight = 768;
        ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &sun), D3D_OK);
        // The camera at the origin, looking along +z, as a frame would begin.
        SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
        D3DXMatrixInverse(&GraphicsState.invViewMatrix, nullptr, &GraphicsState.viewMatrix);
    }
    void TearDown() override {
        if (sun) sun->Release();
    }

    // Draws the flare for a light at p (seeded), with the caller's texture set,
    // and returns how many random numbers it took.
    int Flare(D3DXVECTOR3 p, int flash) {
        device->SetTexture(0, sun);
        device->calls.clear();
        device->draws.clear();
        std::srand(kSeed);
        DrawLensFlare(p, kSize, flash);
        const int next = std::rand();
        std::srand(kSeed);
        for (int n = 0; n < 8; ++n)
            if (std::rand() == next) return n;
        ADD_FAILURE() << "more random numbers drawn than expected";
        return -1;
    }

    // The n-th random number after seeding (from 1), in the effects' range: the low
    // fifteen bits of the library's rand.
    static int Random(int n) {
        std::srand(kSeed);
        int r = 0;
        for (int i = 0; i < n; ++i) r = std::rand() & 0x7FFF;
        return r;
    }

    std::vector<Drawn> Vertices(size_t draw) const {
        const DrawCall& d = device->draws.at(draw);
        const auto* b = static_cast<const MemoryVertexBuffer*>(d.stream);
        const bool screen = (d.shader & D3DFVF_XYZRHW) != 0;
        std::vector<Drawn> out(b->bytes.size() / d.stride);
        for (size_t i = 0; i < out.size(); ++i) {
            const uint8_t* p = b->bytes.data() + i * d.stride;
            std::memcpy(&out[i], p, 12);
            std::memcpy(&out[i].colour, p + (screen ? 16 : 12), 4);
        }
        return out;
    }

    std::vector<Call> Of(Call::Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : device->calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }

    // The blending calls as (state, value) pairs.
    std::vector<std::pair<DWORD, DWORD>> Blending() const {
        std::vector<std::pair<DWORD, DWORD>> out;
        for (const Call& c : Of(Call::State)) out.emplace_back(c.what, c.value);
        return out;
    }

    // Blending and texture as the flare leaves them.
    void ExpectLeftBehind(IDirect3DBaseTexture8* texture) {
        EXPECT_EQ(device->renderStates[D3DRS_ALPHABLENDENABLE], 1u);
        EXPECT_EQ(device->renderStates[D3DRS_SRCBLEND], DWORD(D3DBLEND_SRCALPHA));
        EXPECT_EQ(device->renderStates[D3DRS_DESTBLEND], DWORD(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(device->texture0, texture);
    }

    // The square: first draw, textured, on a billboard at p, its colour from the
    // first random number.
    void ExpectSquare(const D3DXVECTOR3& p) {
        ASSERT_FALSE(device->draws.empty());
        const DrawCall& d = device->draws[0];
        EXPECT_EQ(d.shader, 0x142u);
        EXPECT_EQ(d.texture0, sun);
        const std::vector<Drawn> v = Vertices(0);
        ASSERT_EQ(v.size(), 4u);
        const D3DCOLOR colour = (D3DCOLOR(192 + Random(1) % 64) << 24) | 0xFFE080u;
        for (const Drawn& q : v) {
            EXPECT_EQ(std::fabs(q.x), kSize / 2);
            EXPECT_EQ(std::fabs(q.y), kSize / 2);
            EXPECT_EQ(q.colour, colour);
        }
        const std::vector<Call> worlds = Of(Call::World);
        ASSERT_FALSE(worlds.empty());
        EXPECT_FLOAT_EQ(worlds[0].world._41, p.x);
        EXPECT_FLOAT_EQ(worlds[0].world._42, p.y);
        EXPECT_FLOAT_EQ(worlds[0].world._43, p.z);
    }
};

const std::pair<DWORD, DWORD> kAdditive[] = {
    {D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_ONE}};
const std::pair<DWORD, DWORD> kOrdinary[] = {
    {D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}};

std::vector<std::pair<DWORD, DWORD>> AdditiveThenOrdinary() {
    std::vector<std::pair<DWORD, DWORD>> v(std::begin(kAdditive), std::end(kAdditive));
    v.insert(v.end(), std::begin(kOrdinary), std::end(kOrdinary));
    return v;
}

TEST_F(LensFlare, ALightBehindOrBesideTheViewGetsOnlyItsSquare) {
    // m = -1 (behind), 0 (beside), 0.0995, and 0.75996, just short of 0.76.
    const D3DXVECTOR3 lights[] = {{0, 0, -100}, {100, 0, 0}, {0, 100, 10}, {65, 0, 76}};
    for (const D3DXVECTOR3& p : lights) {
        SCOPED_TRACE(testing::Message() << p.x << ", " << p.y << ", " << p.z);
        EXPECT_EQ(Flare(p, 1), 1);
        EXPECT_EQ(device->draws.size(), 1u);
        ExpectSquare(p);
        EXPECT_EQ(Blending(), AdditiveThenOrdinary());
        EXPECT_TRUE(Of(Call::Texture).empty()) << "the caller's texture stays";
        ExpectLeftBehind(sun);
    }
}

TEST_F(LensFlare, StraightAtTheLightSixElementsStepTowardTheViewerAndTheFlashShows) {
    const D3DXVECTOR3 p(0, 0, 100);
    ASSERT_EQ(Flare(p, 1), 3);
    ASSERT_EQ(device->draws.size(), 8u);  // square, six elements, flash
    ExpectSquare(p);

    // Alpha 140 .. 220 from the third random number.
    const int a = static_cast<int>((1400 + Random(3) * 800 / 32767) * (1.0f - 0.9f));
    EXPECT_GE(a, 140);
    EXPECT_LE(a, 220);
    const D3DCOLOR t = D3DCOLOR(a) << 24;

    // Each element on its own billboard: h = toLight / 5 - direction * 5 = (0, 0, 15)
    // nearer each time.
    struct Element {
        bool hexagon;
        float radius;
        D3DCOLOR centre, rim;
    };
    const Element elements[6] = {
        {false, kSize / 10, t, t + 0x00804000u}, {true, kSize / 8, t, t + 0x00806000u},
        {false, kSize / 13, t, t + 0x08001040u}, {false, kSize / 7, t, t + 0x08006020u},
        {false, kSize / 20, t + 0x00008040u, t}, {false, kSize / 2, 0, t + 0x00002000u},
    };
    const std::vector<Call> worlds = Of(Call::World);
    ASSERT_EQ(worlds.size(), 7u);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k + 1);
        EXPECT_FLOAT_EQ(worlds[k + 1].world._41, 0);
        EXPECT_FLOAT_EQ(worlds[k + 1].world._43, 100 - 15.0f * (k + 1));
        const DrawCall& d = device->draws[k + 1];
        EXPECT_EQ(d.shader, 0x042u);
        EXPECT_EQ(d.type, D3DPT_TRIANGLEFAN);
        EXPECT_EQ(d.primitives, elements[k].hexagon ? 6u : 36u);
        EXPECT_EQ(d.texture0, nullptr);
        const std::vector<Drawn> v = Vertices(k + 1);
        EXPECT_EQ(v[0].colour, elements[k].centre);
        EXPECT_EQ(v[1].colour, elements[k].rim);
        EXPECT_NEAR(std::hypot(v[1].x - v[0].x, v[1].y - v[0].y), elements[k].radius, 1e-4);
        EXPECT_EQ(v[0].x, 0.0f);
        EXPECT_EQ(v[0].z, 0.0f);
    }
    // The texture goes before the first element; each element follows its billboard.
    std::vector<Call::Kind> order;
    for (const Call& c : device->calls)
        if (c.kind != Call::State) order.push_back(c.kind);
    std::vector<Call::Kind> expected = {Call::World, Call::Draw, Call::Texture};
    for (int k = 0; k < 6; ++k) expected.insert(expected.end(), {Call::World, Call::Draw});
    expected.push_back(Call::Draw);
    EXPECT_EQ(order, expected);

    // Flash: white at alpha 100 over the fixed 640 x 480, after blending is back.
    const DrawCall& flash = device->draws[7];
    EXPECT_EQ(flash.shader, 0x044u);
    EXPECT_EQ(flash.type, D3DPT_TRIANGLEFAN);
    const std::vector<Drawn> v = Vertices(7);
    ASSERT_EQ(v.size(), 4u);
    const float corners[4][2] = {{0, 480}, {0, 0}, {640, 0}, {640, 480}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, corners[i][0]);
        EXPECT_EQ(v[i].y, corners[i][1]);
        EXPECT_EQ(v[i].colour, 0x64FFFFFFu);
    }
    EXPECT_EQ(Blending(), AdditiveThenOrdinary());
    EXPECT_EQ(device->calls.back().kind, Call::Draw);
    ExpectLeftBehind(nullptr);

    // Without the flag, no flash.
    EXPECT_EQ(Flare(p, 0), 3);
    EXPECT_EQ(device->draws.size(), 7u);
}

TEST_F(LensFlare, NearTheLightTheElementsAreTransparentButTwoRims) {
    // m = 0.8: no third random number, flare alpha 0, no flash.
    const D3DXVECTOR3 p(60, 0, 80);
    ASSERT_EQ(Flare(p, 1), 2);
    ASSERT_EQ(device->draws.size(), 7u);
    ExpectSquare(p);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k + 1);
        const std::vector<Drawn> v = Vertices(k + 1);
        const D3DCOLOR rimAlpha = (k == 2 || k == 3) ? 8u : 0u;
        EXPECT_EQ(v[0].colour >> 24, 0u);
        for (size_t i = 1; i < v.size(); ++i) EXPECT_EQ(v[i].colour >> 24, rimAlpha) << i;
    }
    // h = (60, 0, 80) / 5 - (0, 0, 1) * 5 = (12, 0, 11).
    const std::vector<Call> worlds = Of(Call::World);
    ASSERT_EQ(worlds.size(), 7u);
    EXPECT_FLOAT_EQ(worlds[6].world._41, 60 - 6 * 12.0f);
    EXPECT_FLOAT_EQ(worlds[6].world._43, 80 - 6 * 11.0f);
    ExpectLeftBehind(nullptr);

    // m = 0.87: the flash is drawn, at alpha 0.
    const D3DXVECTOR3 q(std::sqrt(1 - 0.87f * 0.87f) * 100, 0, 87);
    ASSERT_EQ(Flare(q, 1), 2);
    ASSERT_EQ(device->draws.size(), 8u);
    for (const Drawn& c : Vertices(7)) EXPECT_EQ(c.colour, 0x00FFFFFFu);
}

}  // namespace
