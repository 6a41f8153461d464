// The framework's own device (InitDirect3D in a window) for tests that render
// through render/ and read the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3dx8/d3dx8mesh.h"
#include "render/direct3d.h"
#include "shell/application.h"
#include "shell/window.h"
#include "tests/readback_fixture.h"

// Moves every vertex of the mesh by `by`, through a write lock of its vertex buffer,
// as a program that edits a loaded model does.
inline void ShiftVertices(ID3DXMesh* mesh, const D3DXVECTOR3& by) {
    BYTE* bytes = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &bytes), D3D_OK);
    const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) *reinterpret_cast<D3DXVECTOR3*>(bytes + size_t(v) * stride) += by;
    mesh->UnlockVertexBuffer();
}

class FrameworkDevice : public ReadbackTest {
protected:
    void SetUp() override {
        ReadbackTest::SetUp();
        if (!Ready()) return;
        static char arg0[] = "nolrace", arg1[] = "-win";
        static char* argv[] = {arg0, arg1, nullptr};
        SetCommandLineArgs(2, argv);
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        testing::internal::CaptureStderr();
        const int ok = InitDirect3D();
        log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(ok, 1);
    }
    void TearDown() override {
        FreeDirect3D();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    // The back buffer; kept as <name>.png in $NOL_TEST_PNG_DIR when that is set.
    std::vector<uint32_t> ReadBack(const char* name) { return ReadSurface(GraphicsState.device, nullptr, name); }

    std::string log;  // what start-up wrote to standard error
};
