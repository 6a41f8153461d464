// A fixed-function state whose generated shader does not compile: reported once,
// remembered, and drawn as nothing, while other states keep drawing.
#include <string>
#include <vector>

#include "d3d8/shader_cache.h"
#include "tests/d3d8_fixture.h"
#include "win32/log_sink.h"

using namespace d3dtest;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

std::vector<std::string> logged;

void Capture(const char* line) { logged.push_back(line); }

int CountLogged(const std::string& text) {
    int n = 0;
    for (const auto& line : logged)
        if (line.find(text) != std::string::npos) ++n;
    return n;
}

class D3DShaderFailure : public D3DTest {
protected:
    void SetUp() override {
        D3DTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        CreateDevice();
        if (HasFatalFailure()) return;
        logged.clear();
        NolSetLogSink(Capture);
        // Only states with the alpha test on get a broken shader.
        nol::d3d8::SetShaderBreaker([](const nol::d3d8::ShaderKey& key) { return key.alphaFunc != 0; });
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0), D3D_OK);
        PlainStates();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    void TearDown() override {
        nol::d3d8::SetShaderBreaker(nullptr);
        NolSetLogSink(nullptr);
        D3DTest::TearDown();
    }

    void Quad(float x1, float x2) {
        const ScreenVertex quad[4] = {{x1, 0, 0, 1, kWhite}, {x2, 0, 0, 1, kWhite},
                                      {x1, 10, 0, 1, kWhite}, {x2, 10, 0, 1, kWhite}};
        device->SetVertexShader(kScreenFvf);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    }
};

TEST_F(D3DShaderFailure, IsLoggedOnceNotRecompiledAndDrawsNothing) {
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL), D3D_OK);  // reference 0: passes all
    for (int round = 0; round < 3; ++round) {
        // Broken state, a working one, and back: the cache sees the broken key again.
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Quad(0, 10);
        Quad(0, 10);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        Quad(20, 30);
    }
    EXPECT_EQ(CountLogged("shader does not compile"), 1);
    EXPECT_EQ(NolD3D8ProgramCount(device), 1u);  // the working state's only
    // The compiler's reason and the numbered source follow the headline line by line.
    EXPECT_GE(logged.size(), 3u);
    for (const auto& line : logged) EXPECT_EQ(line.find('\n'), line.size() - 1) << line;

    auto px = ReadBack();
    EXPECT_EQ(At(px, 5, 5), kBlack);
    EXPECT_EQ(At(px, 25, 5), kWhite);
}

}  // namespace
