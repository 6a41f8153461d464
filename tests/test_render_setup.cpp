// Device set-up against a scripted Direct3D object: adapters, modes, formats,
// device kinds and the log it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display_required.h"
#include "d3d8/d3d8_test_hooks.h"
#include "d3d8_fakes.h"
#include "render/direct3d.h"
#include "scene/light.h"
#include "shell/log.h"
#include "shell/window.h"
#include "win32/sdl_bridge.h"
#include "win32/test_hooks.h"

namespace {

std::vector<std::string> boxes;
int RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    return IDOK;
}

void SetArgs(std::vector<std::string> args) {
    static std::vector<std::string> storage;
    static std::vector<char*> argv;
    storage = std::move(args);
    storage.insert(storage.begin(), "nolrace");
    argv.clear();
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    SetCommandLineArgs((int)storage.size(), argv.data());
}

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class RenderSetup : public ::testing::Test {
protected:
    std::unique_ptr<FakeDirect3D> ownedFake = std::make_unique<FakeDirect3D>();
    FakeDirect3D* fake = ownedFake.get();

    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        NolSetMessageBoxAnswerer(RecordBox);
        boxes.clear();
        SetArgs({});
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.d3d = fake;
    }

    // Runs the device set-up and returns what it logged (as UTF-8).
    std::string SetUpDevice(int* result = nullptr) {
        testing::internal::CaptureStderr();
        int r = InitDevice(640, 480);
        if (result) *result = r;
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(RenderSetup, ASuccessfulSetUpLogsEveryDecisionInOrder) {
    SetArgs({"-win"});
    fake->device->caps.MaxPrimitiveCount = 0xFFFFF;
    fake->device->caps.MaxActiveLights = 8;
    fake->device->caps.RasterCaps = D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | 0x40000000;
    fake->device->caps.MaxTextureWidth = 8192;
    fake->device->caps.MaxTextureHeight = 4096;
    fake->device->caps.MaxSimultaneousTextures = 8;
    fake->device->caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    fake->device->caps.TextureOpCaps = 0xFFFFFFFF & ~D3DTEXOPCAPS_BUMPENVMAP;
    fake->device->textureMemory = 256u << 20;

    testing::internal::CaptureStderr();
    ASSERT_EQ(InitDevice(640, 480), 1);
    ReportDeviceCaps();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, U8(u8"アダプタ数 = 1\n"
                      u8"アダプタID = D3DADAPTER_DEFAULT\n"
                      u8"アダプタ名 = Fake adapter 0\n"
                      u8"アダプタのモード数 = 2\n"
                      u8"現在のモード = 1024 x 768 D3DFMT_X8R8G8B8\n"
                      u8"ウインドウ化 = ON\n"
                      u8"選択されたモード = 640 x 480 D3DFMT_X8R8G8B8 (D3DFMT_D16)\n"
                      u8"デバイスタイプ = TnLHAL\n"
                      u8"最大プリミティブ = 1048575\n"
                      u8"最大ライト = 8\n"
                      u8"フォグ{\n\t頂点 = 1\n\tピクセル = 1\n\t範囲 = 0\n}\n"
                      u8"テクスチャー{\n\t利用可能メモリ = 262144 KB\n\t最大サイズ = 8192 x 4096\n"
                      u8"\t最大ステージ = 8\n\tアルファブレンド = 1\n\tミップマップ = 1\n\tバンプマップ = 0\n}\n"));

    // The window was shown before the device was made, and the parameters are
    // the ones a reset will reuse.
    ASSERT_EQ(fake->attempts.size(), 1u);
    const CreateAttempt& a = fake->attempts[0];
    EXPECT_TRUE(a.windowVisible);
    EXPECT_EQ(a.focus, mainWindow);
    EXPECT_EQ(a.type, D3DDEVTYPE_HAL);
    EXPECT_EQ(a.behaviour, (DWORD)D3DCREATE_HARDWARE_VERTEXPROCESSING);
    const D3DPRESENT_PARAMETERS& p = GraphicsState.presentParams;
    EXPECT_EQ(p.BackBufferWidth, 640u);
    EXPECT_EQ(p.BackBufferHeight, 480u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 1u);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, mainWindow);
    EXPECT_EQ(p.Windowed, TRUE);
    EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(GraphicsState.windowed, 1);
    EXPECT_EQ(GraphicsState.device, fake->device);
    EXPECT_EQ(GraphicsState.maxTextureStages, 8u);
}

TEST_F(RenderSetup, WithOneAdapterTheSecondIsIgnored) {
    SetArgs({"-2nd"});
    std::string log = SetUpDevice();
    EXPECT_NE(log.find(U8(u8"アダプタID = D3DADAPTER_DEFAULT\nアダプタ名 = Fake adapter 0\n")), std::string::npos);
    EXPECT_EQ(GraphicsState.adapter, 0u);
}

TEST_F(RenderSetup, WithTwoAdaptersTheSecondIsUsedOnRequest) {
    fake->adapters = 2;
    EXPECT_NE(SetUpDevice().find(U8(u8"アダプタID = D3DADAPTER_DEFAULT\n")), std::string::npos);
    SetArgs({"-2nd"});
    std::string log = SetUpDevice();
    EXPECT_NE(log.find(U8(u8"アダプタ数 = 2\nアダプタID = 1\nアダプタ名 = Fake adapter 1\n")), std::string::npos);
    EXPECT_EQ(fake->attempts.back().adapter, 1u);
}

TEST_F(RenderSetup, FullScreenUnlessWindowedIsAskedFor) {
    std::string log = SetUpDevice();
    EXPECT_NE(log.find(U8(u8"ウインドウ化 = OFF\n")), std::string::npos);
    EXPECT_EQ(GraphicsState.windowed, 0);
    EXPECT_FALSE(fake->attempts.at(0).windowVisible);  // full screen leaves the window alone
    EXPECT_EQ(GraphicsState.presentParams.Windowed, FALSE);
}

TEST_F(RenderSetup, WithoutTheSizeInTheDesktopFormatTheLastOtherFormatWins) {
    SetArgs({"-win"});
    fake->modes = {{640, 480, 60, D3DFMT_R5G6B5},
                   {800, 600, 60, D3DFMT_X8R8G8B8},
                   {640, 480, 75, D3DFMT_A8R8G8B8},
                   {640, 400, 60, D3DFMT_X1R5G5B5}};
    std::string log = SetUpDevice();
    EXPECT_NE(log.find(U8(u8"ウインドウ化 = OFF(フォーマット変更)\n選択されたモード = 640 x 480 D3DFMT_A8R8G8B8 ")),
              std::string::npos)
        << log;
    EXPECT_EQ(GraphicsState.windowed, 0);
    EXPECT_EQ(GraphicsState.presentParams.BackBufferFormat, D3DFMT_A8R8G8B8);
    // The depth checks use the chosen back-buffer format.
    EXPECT_EQ(fake->depthChecks.back().first, D3DFMT_A8R8G8B8);
}

TEST_F(RenderSetup, NoModeOfTheSizeEndsInTheDeviceFailureBox) {
    fake->modes = {{800, 600, 60, D3DFMT_X8R8G8B8}};
    int result = -1;
    std::string log = SetUpDevice(&result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(log.find(U8(u8"選択されたモード = 640 x 480 D3DFMT_UNKNOWN (D3DFMT_D16)\n")), std::string::npos) << log;
    EXPECT_EQ(fake->attempts.size(), 3u);  // every kind was tried
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string("エラー|3Dデバイス初期化失敗.|") + std::to_string(MB_SYSTEMMODAL));
    EXPECT_EQ(log.find(U8(u8"デバイスタイプ")), std::string::npos);
}

TEST_F(RenderSetup, RefusedHardwareFallsBackToTheReferenceDevice) {
    fake->refused = {{D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
                     {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING}};
    std::string log = SetUpDevice();
    EXPECT_NE(log.find(U8(u8"デバイスタイプ = REF\n")), std::string::npos);
    ASSERT_EQ(fake->attempts.size(), 3u);
    EXPECT_EQ(fake->attempts[1].type, D3DDEVTYPE_HAL);
    EXPECT_EQ(fake->attempts[1].behaviour, (DWORD)D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_EQ(fake->attempts[2].type, D3DDEVTYPE_REF);
    EXPECT_STREQ(GraphicsState.deviceTypeName, "REF");
}

TEST_F(RenderSetup, DepthFormatsAreTriedInOrderAndCheckedBothWays) {
    fake->depthFormats = {D3DFMT_D24S8, D3DFMT_D32};
    EXPECT_EQ(SelectDepthStencilFormat(D3DFMT_X8R8G8B8), D3DFMT_D24S8);
    fake->depthFormats = {};
    EXPECT_EQ(SelectDepthStencilFormat(D3DFMT_X8R8G8B8), D3DFMT_UNKNOWN);
    std::vector<D3DFORMAT> tried;
    for (auto& c : fake->depthChecks) tried.push_back(c.second);
    std::vector<D3DFORMAT> order{D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
    EXPECT_EQ(std::vector<D3DFORMAT>(tried.end() - 6, tried.end()), order);
}

TEST_F(RenderSetup, InitialTransformsStatesAndLight) {
    ASSERT_EQ(InitDevice(640, 480), 1);
    InitTransforms();
    InitRenderStates();
    SetDirectionalLight(D3DXVECTOR3(1, -1, 1), D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0});
    FakeDevice& d = *fake->device;

    // The screen matrix takes the projected corners to the pixel corners.
    D3DXVECTOR3 corner(-1, 1, 0), out;
    D3DXVec3TransformCoord(&out, &corner, &GraphicsState.screenMatrix);
    EXPECT_FLOAT_EQ(out.x, 0.0f);
    EXPECT_FLOAT_EQ(out.y, 0.0f);
    corner = D3DXVECTOR3(1, -1, 0);
    D3DXVec3TransformCoord(&out, &corner, &GraphicsState.screenMatrix);
    EXPECT_FLOAT_EQ(out.x, 640.0f);
    EXPECT_FLOAT_EQ(out.y, 480.0f);

    // Projection: 45 degrees vertically, 4:3, depth 0.1..1000.
    const D3DXMATRIX& p = GraphicsState.projMatrix;
    EXPECT_NEAR(p._22, 1.0f / std::tan(D3DX_PI / 8), 1e-5);
    EXPECT_NEAR(p._11, p._22 * 0.75f, 1e-5);
    EXPECT_NEAR(p._33, 1000.0f / 999.9f, 1e-5);
    EXPECT_EQ(std::memcmp(&d.transforms[D3DTS_PROJECTION], &p, sizeof p), 0);
    EXPECT_FLOAT_EQ(d.transforms[D3DTS_VIEW]._43, 1.0f);  // eye at z = -1
    EXPECT_EQ(d.clipStatus.ClipUnion, (DWORD)D3DCS_ALL);

    // Orientation 2 turns +x into +z... and +z into -x.
    D3DXVECTOR3 x(1, 0, 0);
    D3DXVec3TransformNormal(&out, &x, &GraphicsState.orientationMatrices[2]);
    EXPECT_EQ(out, D3DXVECTOR3(0, 0, 1));

    EXPECT_EQ(d.renderStates[D3DRS_LIGHTING], 1u);
    EXPECT_EQ(d.renderStates[D3DRS_AMBIENT], 0xFF808080u);
    EXPECT_EQ(d.renderStates[D3DRS_CULLMODE], (DWORD)D3DCULL_CCW);
    EXPECT_EQ(d.renderStates[D3DRS_FOGENABLE], 0u);
    EXPECT_EQ(d.renderStates.count(D3DRS_FOGSTART), 0u);  // fog off sets nothing else
    EXPECT_EQ(d.renderStates[D3DRS_SRCBLEND], (DWORD)D3DBLEND_SRCALPHA);
    EXPECT_EQ(d.renderStates[D3DRS_DESTBLEND], (DWORD)D3DBLEND_INVSRCALPHA);
    EXPECT_EQ((d.stageStates[{0, D3DTSS_ALPHAOP}]), (DWORD)D3DTOP_MODULATE);
    EXPECT_EQ((d.stageStates[{0, D3DTSS_COLORARG2}]), (DWORD)D3DTA_DIFFUSE);
    EXPECT_EQ((d.stageStates[{0, D3DTSS_MIPFILTER}]), (DWORD)D3DTEXF_POINT);
    ASSERT_EQ(d.clears.size(), 1u);
    EXPECT_EQ(d.clears[0].flags, (DWORD)(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    EXPECT_EQ(d.clears[0].z, 1.0f);

    EXPECT_EQ(d.light0.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_NEAR(d.light0.Direction.x, 0.5773503f, 1e-6);
    EXPECT_NEAR(d.light0.Direction.y, -0.5773503f, 1e-6);
    EXPECT_FLOAT_EQ(d.light0.Range, 1000.0f);
    EXPECT_FLOAT_EQ(d.light0.Diffuse.r, 0.5f);
    EXPECT_EQ(d.light0Enabled, TRUE);
}

TEST_F(RenderSetup, FogHelpersPassDistancesAsFloatBits) {
    ASSERT_EQ(InitDevice(640, 480), 1);
    SetTableFog(TRUE, 0xFF102030, 10.0f, 250.5f);
    FakeDevice& d = *fake->device;
    float start, end;
    std::memcpy(&start, &d.renderStates[D3DRS_FOGSTART], 4);
    std::memcpy(&end, &d.renderStates[D3DRS_FOGEND], 4);
    EXPECT_EQ(start, 10.0f);
    EXPECT_EQ(end, 250.5f);
    EXPECT_EQ(d.renderStates[D3DRS_FOGTABLEMODE], (DWORD)D3DFOG_LINEAR);
    EXPECT_EQ(d.renderStates.count(D3DRS_FOGVERTEXMODE), 0u);
    EXPECT_EQ(d.renderStates[D3DRS_FOGCOLOR], 0xFF102030u);
}

TEST_F(RenderSetup, FreeReleasesTheDeviceAndTheObjectAndIsSafeTwice) {
    ASSERT_EQ(InitDevice(640, 480), 1);
    FakeDevice* device = fake->device;
    device->AddRef();  // keep it alive to look at
    FreeDirect3D();
    EXPECT_EQ(GraphicsState.device, nullptr);
    EXPECT_EQ(GraphicsState.d3d, nullptr);
    EXPECT_EQ(device->refs, 2u);  // the fake's own and ours: the device's reference is gone
    EXPECT_TRUE(fake->released);
    FreeDirect3D();  // nothing left to release
}

FakeDirect3D* created = nullptr;
UINT requestedVersion = 0;
IDirect3D8* CreateFake(UINT version) {
    requestedVersion = version;
    return created;
}

TEST_F(RenderSetup, InitDirect3DRunsTheWholeSetUpAndFreeUndoesIt) {
    created = fake;
    GraphicsState.d3d = nullptr;
    NolD3D8SetCreateHook(CreateFake);
    testing::internal::CaptureStderr();
    ASSERT_EQ(InitDirect3D(), 1);
    EXPECT_NE(GraphicsState.font, nullptr);
    EXPECT_EQ(GraphicsState.fontHeight, 16);
    EXPECT_EQ(GraphicsState.textColour, 0xFFFFFFFFu);
    FreeDirect3D();
    EXPECT_EQ(GraphicsState.font, nullptr);
    std::string log = testing::internal::GetCapturedStderr();
    NolD3D8SetCreateHook(nullptr);
    EXPECT_EQ(requestedVersion, 120u);
    // The font names the face file it found, which depends on the machine.
    const size_t font = log.find("font: ");
    ASSERT_NE(font, std::string::npos);
    log.erase(font, log.find('\n', font) + 1 - font);
    EXPECT_EQ(log, U8(u8"----------------------------------------\n"
                      u8"InitDirect3D\n"
                      u8"アダプタ数 = 1\n"
                      u8"アダプタID = D3DADAPTER_DEFAULT\n"
                      u8"アダプタ名 = Fake adapter 0\n"
                      u8"アダプタのモード数 = 2\n"
                      u8"現在のモード = 1024 x 768 D3DFMT_X8R8G8B8\n"
                      u8"ウインドウ化 = OFF\n"
                      u8"選択されたモード = 640 x 480 D3DFMT_X8R8G8B8 (D3DFMT_D16)\n"
                      u8"デバイスタイプ = TnLHAL\n"
                      u8"最大プリミティブ = 0\n"
                      u8"最大ライト = 0\n"
                      u8"フォグ{\n\t頂点 = 0\n\tピクセル = 0\n\t範囲 = 0\n}\n"
                      u8"テクスチャー{\n\t利用可能メモリ = 65536 KB\n\t最大サイズ = 0 x 0\n"
                      u8"\t最大ステージ = 0\n\tアルファブレンド = 0\n\tミップマップ = 0\n\tバンプマップ = 0\n}\n"
                      u8"----------------------------------------\n"
                      u8"FreeDirect3D\n"));
    EXPECT_EQ(fake->device->light0Enabled, TRUE);
    EXPECT_EQ(fake->device->clears.size(), 1u);
    EXPECT_TRUE(fake->released);
}

TEST_F(RenderSetup, ANullDirect3DObjectIsReportedInABox) {
    created = nullptr;
    GraphicsState.d3d = nullptr;
    NolD3D8SetCreateHook(CreateFake);
    EXPECT_EQ(InitDirect3D(), 0);
    NolD3D8SetCreateHook(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], std::string("エラー|Direct3Dの初期化に失敗しました.|") + std::to_string(MB_SYSTEMMODAL));
    FreeDirect3D();  // safe after a failed start
}

// ---- the state the device starts in, without a window ----------------------------

class StartState : public ::testing::Test {
protected:
    FakeDevice device;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = &device;
        GraphicsState.screenWidth = 640;
        GraphicsState.screenHeight = 480;
    }
    void TearDown() override { GraphicsState.device = nullptr; }
};

constexpr int kRender = -1, kClear = -2;

TEST_F(StartState, RenderStatesArriveInTheirOrderAndTheClearComesLast) {
    InitRenderStates();
    const std::vector<StateCall> expected{
        {kRender, D3DRS_LIGHTING, TRUE},
        {kRender, D3DRS_AMBIENT, 0xFF808080},
        {kRender, D3DRS_SPECULARENABLE, FALSE},
        {kRender, D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {kRender, D3DRS_CULLMODE, D3DCULL_CCW},
        {kRender, D3DRS_ZENABLE, TRUE},
        {kRender, D3DRS_ZWRITEENABLE, TRUE},
        // Fog off touches nothing but the switch: vertex fog first, then table fog.
        {kRender, D3DRS_FOGENABLE, FALSE},
        {kRender, D3DRS_FOGENABLE, FALSE},
        {kRender, D3DRS_ALPHABLENDENABLE, TRUE},
        {kRender, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {kRender, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
        {0, D3DTSS_MIPFILTER, D3DTEXF_POINT},
        {kClear, 0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER},
    };
    ASSERT_EQ(device.stateCalls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const StateCall& got = device.stateCalls[i];
        EXPECT_TRUE(got == expected[i]) << "call " << i << ": stage " << got.stage << " state " << got.state
                                        << " value " << got.value;
    }
    ASSERT_EQ(device.clears.size(), 1u);
    EXPECT_EQ(device.clears[0].colour, 0u);
    EXPECT_EQ(device.clears[0].z, 1.0f);
    EXPECT_EQ(device.clears[0].stencil, 0u);
}

// Where each fixed orientation sends the unit axes.
struct AxisImages {
    D3DXVECTOR3 x, y, z;
};

AxisImages Images(const D3DXMATRIX& m) {
    AxisImages a;
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    D3DXVec3TransformCoord(&a.x, &x, &m);
    D3DXVec3TransformCoord(&a.y, &y, &m);
    D3DXVec3TransformCoord(&a.z, &z, &m);
    return a;
}

void ExpectImages(const D3DXMATRIX& m, const D3DXVECTOR3& x, const D3DXVECTOR3& y, const D3DXVECTOR3& z,
                  const char* what) {
    AxisImages a = Images(m);
    EXPECT_EQ(a.x, x) << what;
    EXPECT_EQ(a.y, y) << what;
    EXPECT_EQ(a.z, z) << what;
    // None of them moves the origin.
    D3DXVECTOR3 origin(0, 0, 0), moved;
    D3DXVec3TransformCoord(&moved, &origin, &m);
    EXPECT_EQ(moved, origin) << what;
}

TEST_F(StartState, OrientationsTexWindowAndClipStatusAreSetWhateverWasThereBefore) {
    for (D3DXMATRIX& m : GraphicsState.orientationMatrices) m = D3DXMATRIX(2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
    GraphicsState.rectTexWindow = RectTexWindow{0.25f, 0.5f, 0.75f, 0.125f};
    device.clipStatus = D3DCLIPSTATUS8{1, 2};
    InitTransforms();

    const D3DXMATRIX* o = GraphicsState.orientationMatrices;
    const D3DXVECTOR3 X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);
    ExpectImages(o[0], X, Y, Z, "0 leaves everything as it is");
    ExpectImages(o[1], -X, Y, -Z, "1 turns half round about y");
    ExpectImages(o[2], Z, Y, -X, "2 turns a quarter about y, +x to +z");
    ExpectImages(o[3], -Z, Y, X, "3 turns the other quarter, +x to -z");
    ExpectImages(o[4], X, Z, Y, "4 swaps y and z");
    ExpectImages(o[5], X, -Z, -Y, "5 swaps y with -z");
    // 2 and 3 undo each other; 1, 4 and 5 undo themselves.
    ExpectImages(o[2] * o[3], X, Y, Z, "2 then 3");
    ExpectImages(o[1] * o[1], X, Y, Z, "1 twice");
    ExpectImages(o[4] * o[4], X, Y, Z, "4 twice");
    ExpectImages(o[5] * o[5], X, Y, Z, "5 twice");

    // The whole texture, top to bottom, for the screen rectangles.
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    EXPECT_EQ(t.uLeft, 0.0f);
    EXPECT_EQ(t.uRight, 1.0f);
    EXPECT_EQ(t.vTop, 0.0f);
    EXPECT_EQ(t.vBottom, 1.0f);

    // Every clip plane reported both as met by some vertex and by all of them.
    EXPECT_EQ(device.clipStatus.ClipUnion, (DWORD)D3DCS_ALL);
    EXPECT_EQ(device.clipStatus.ClipIntersection, (DWORD)D3DCS_ALL);
}

TEST_F(StartState, DefaultMaterialIsWhiteHalfAmbientAndNothingElse) {
    D3DMATERIAL8 junk;
    std::memset(&junk, 0x3F, sizeof junk);  // about 0.75 in every float
    device.material = junk;
    SetDefaultMaterial();
    const D3DMATERIAL8& m = device.material;
    const D3DCOLORVALUE white{1, 1, 1, 1}, half{0.5f, 0.5f, 0.5f, 1}, none{0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&m.Diffuse, &white, sizeof white), 0);
    EXPECT_EQ(std::memcmp(&m.Ambient, &half, sizeof half), 0);
    EXPECT_EQ(std::memcmp(&m.Specular, &none, sizeof none), 0);
    EXPECT_EQ(std::memcmp(&m.Emissive, &none, sizeof none), 0);
    EXPECT_EQ(m.Power, 0.0f);
}

TEST(FormatName, KnowsTheListedFormatsOnly) {
    EXPECT_STREQ(FormatName(D3DFMT_X8R8G8B8), "D3DFMT_X8R8G8B8");
    EXPECT_STREQ(FormatName(D3DFMT_D24X4S4), "D3DFMT_D24X4S4");
    EXPECT_STREQ(FormatName(D3DFMT_D16_LOCKABLE), "D3DFMT_D16_LOCKABLE");
    EXPECT_STREQ(FormatName((D3DFORMAT)72), "D3DFMT_UNKNOWN");
    EXPECT_STREQ(FormatName(D3DFMT_INDEX16), "D3DFMT_UNKNOWN");
}

}  // namespace
