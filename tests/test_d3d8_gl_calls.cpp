// The GL calls the Direct3D stand-in makes: a draw that changes nothing sends
// nothing but the draw, a changed value is sent once, and no uniform goes to
// location -1. Every GL entry point is wrapped by a recorder while a test runs.
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "d3d8/gl_api.h"
#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

struct Call {
    std::string name;
    long long firstArgument;
};

std::vector<Call> calls;
bool recording = false;

template <typename T>
long long AsNumber(T value) {
    if constexpr (std::is_integral_v<T>) return static_cast<long long>(value);
    else return 0;
}

template <typename... A>
long long FirstNumber(A... a) {
    if constexpr (sizeof...(A) == 0) {
        return 0;
    } else {
        long long first = 0;
        bool taken = false;
        ((taken ? void() : (first = AsNumber(a), taken = true, void())), ...);
        return first;
    }
}

template <int Index, typename F>
struct Recorder;

template <int Index, typename R, typename... A>
struct Recorder<Index, R (*)(A...)> {
    static inline R (*real)(A...) = nullptr;
    static inline const char* name = nullptr;
    static R Call(A... a) {
        if (recording) calls.push_back({name, FirstNumber(a...)});
        return real(a...);
    }
};

// The real entry points, in list order, while the recorders stand in for them.
std::vector<void (*)()> realEntryPoints;

void InstallRecorders() {
    using namespace nol::d3d8;
    if (!realEntryPoints.empty()) return;
#define NOL_GL_RECORD(type, fn)                                              \
    {                                                                        \
        using R = Recorder<__COUNTER__, type>;                               \
        realEntryPoints.push_back(reinterpret_cast<void (*)()>(gl::fn));     \
        R::real = gl::fn;                                                    \
        R::name = #fn;                                                       \
        gl::fn = &R::Call;                                                   \
    }
    NOL_GL_FUNCTIONS(NOL_GL_RECORD)
#undef NOL_GL_RECORD
}

void RemoveRecorders() {
    using namespace nol::d3d8;
    if (realEntryPoints.empty()) return;
    size_t i = 0;
#define NOL_GL_UNRECORD(type, fn) gl::fn = reinterpret_cast<type>(realEntryPoints[i++]);
    NOL_GL_FUNCTIONS(NOL_GL_UNRECORD)
#undef NOL_GL_UNRECORD
    realEntryPoints.clear();
}

struct Vertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE
    float x, y, z, nx, ny, nz;
    D3DCOLOR c;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

class D3DGlCalls : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(Vertex), 0, kFvf, D3DPOOL_MANAGED, &quad), D3D_OK);
        Vertex* v = nullptr;
        ASSERT_EQ(quad->Lock(0, 0, reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
        const Vertex corners[4] = {{-0.5f, 0.5f, 0.5f, 0, 0, -1, 0xFFFFFFFF}, {0.5f, 0.5f, 0.5f, 0, 0, -1, 0xFFFFFFFF},
                                   {-0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFFFFFFFF}, {0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFFFFFFFF}};
        std::memcpy(v, corners, sizeof corners);
        quad->Unlock();
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0, 0, 1};
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        InstallRecorders();
    }

    void TearDown() override {
        recording = false;
        RemoveRecorders();
        if (quad) quad->Release();
        D3DDeviceTest::TearDown();
    }

    void DrawQuad() {
        ASSERT_EQ(device->SetVertexShader(kFvf), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, quad, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    }

    // The names of the calls recorded while f runs.
    template <typename F>
    std::vector<std::string> Record(F f) {
        calls.clear();
        recording = true;
        f();
        recording = false;
        std::vector<std::string> names;
        for (const Call& c : calls) names.push_back(c.name);
        return names;
    }

    static std::string Joined(const std::vector<std::string>& names) {
        std::string s;
        for (const std::string& n : names) s += n + " ";
        return s;
    }

    IDirect3DVertexBuffer8* quad = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(D3DGlCalls, ADrawThatChangesNothingSendsOnlyTheDraw) {
    DrawQuad();
    const Names again = Record([&] { DrawQuad(); });
    EXPECT_EQ(again, Names{"DrawArrays"}) << Joined(again);

    // A state set and set back between draws, and a Clear, send nothing more
    // than what they must.
    const Names same = Record([&] {
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        DrawQuad();
    });
    EXPECT_EQ(same, Names{"DrawArrays"}) << Joined(same);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawQuad();
    const Names cleared = Record([&] {
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        DrawQuad();
    });
    EXPECT_EQ(cleared, (Names{"Clear", "DrawArrays"})) << Joined(cleared);
    device->EndScene();
}

TEST_F(D3DGlCalls, AChangedValueIsSentOnceAndOnlyItsUniforms) {
    DrawQuad();
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = 0.1f;
    const Names moved = Record([&] {
        device->SetTransform(D3DTS_WORLD, &world);
        DrawQuad();
    });
    // The world-view matrix; the normal matrix of a translation is unchanged.
    EXPECT_EQ(moved, (Names{"UniformMatrix4fv", "DrawArrays"})) << Joined(moved);

    const Names faded = Record([&] {
        device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
        DrawQuad();
        DrawQuad();
    });
    EXPECT_EQ(faded, (Names{"Uniform4fv", "DrawArrays", "DrawArrays"})) << Joined(faded);

    const Names blended = Record([&] {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        DrawQuad();
        DrawQuad();
    });
    EXPECT_EQ(blended, (Names{"BlendFunc", "Enable", "DrawArrays", "DrawArrays"})) << Joined(blended);
    device->EndScene();
}

TEST_F(D3DGlCalls, NoUniformGoesToLocationMinusOne) {
    // Lit and unlit, transformed and pre-transformed, with fog, a texture and a
    // texture factor: every generated program leaves some uniforms out.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    Record([&] {
        DrawQuad();
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        DrawQuad();
        device->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        DrawQuad();
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        DrawQuad();
        FillRect(10, 10, 50, 50, 0xFFFF0000);
    });
    int uniforms = 0;
    for (const Call& c : calls) {
        if (c.name.rfind("Uniform", 0) != 0) continue;
        ++uniforms;
        EXPECT_GE(c.firstArgument, 0) << c.name;
    }
    EXPECT_GT(uniforms, 10);
    device->SetTexture(0, nullptr);
    texture->Release();
    device->EndScene();
}

}  // namespace
