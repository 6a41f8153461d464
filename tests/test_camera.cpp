// The camera and the light: view operations against GraphicsState, the
// fly-through controls with key states and the frame rate set directly, the
// projections after a frame start, and the mouse control's cursor re-centring on a
// display of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "d3d8_fakes.h"
#include "display_required.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "shell/frame_timer.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/sdl_bridge.h"

namespace {

constexpr float kEps = 1e-4f;

#define EXPECT_VEC_NEAR(v, ex, ey, ez, eps) \
    do {                                     \
        D3DXVECTOR3 v_ = (v);                \
        EXPECT_NEAR(v_.x, (ex), (eps));      \
        EXPECT_NEAR(v_.y, (ey), (eps));      \
        EXPECT_NEAR(v_.z, (ez), (eps));      \
    } while (0)

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return D3DXVec3Dot(&a, &b); }

class Camera : public ::testing::Test {
protected:
    FakeDevice fake;
    FakeDevice* device = &fake;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        GraphicsState.screenWidth = 640;
        GraphicsState.screenHeight = 480;
        InitTransforms();
        InputState = InputStateRecord{};
        frameTimer.fps = 30.0f;
    }

    void TearDown() override { GraphicsState.device = nullptr; }

    static void Press(int key) { InputState.keys[key] = 0x80; }
};

TEST_F(Camera, LookAtAndPositionRoundTrip) {
    // The initial view from set-up: at (0, 0, -1) looking along +z.
    EXPECT_VEC_NEAR(GetCameraPosition(), 0, 0, -1, kEps);
    EXPECT_VEC_NEAR(GetCameraDirection(), 0, 0, 1, kEps);

    D3DXVECTOR3 eye(3, 4, -5), at(-1, 2, 7), up(0, 1, 0);
    SetCameraLookAt(eye, at, up);
    EXPECT_VEC_NEAR(GetCameraPosition(), 3, 4, -5, kEps);
    D3DXVECTOR3 forward;
    D3DXVECTOR3 toward = at - eye;
    D3DXVec3Normalize(&forward, &toward);
    EXPECT_VEC_NEAR(GetCameraDirection(), forward.x, forward.y, forward.z, kEps);
    D3DXVECTOR3 right0 = GetCameraRight();
    EXPECT_NEAR(D3DXVec3Length(&right0), 1.0f, kEps);
    EXPECT_NEAR(GetCameraRight().y, 0.0f, kEps);  // level with an upright hint
    EXPECT_GT(GetCameraUp().y, 0.0f);

    // A new position keeps the orientation.
    YawCamera(0.4f);
    PitchCamera(-0.3f);
    D3DXVECTOR3 direction = GetCameraDirection(), right = GetCameraRight();
    SetCameraPosition(D3DXVECTOR3(-7, 0.5f, 12));
    EXPECT_VEC_NEAR(GetCameraPosition(), -7, 0.5f, 12, kEps);
    EXPECT_VEC_NEAR(GetCameraDirection(), direction.x, direction.y, direction.z, 1e-6f);
    EXPECT_VEC_NEAR(GetCameraRight(), right.x, right.y, right.z, 1e-6f);

    // Turning toward a point looks at it from where the camera stands.
    TurnCameraTo(D3DXVECTOR3(-7, 0.5f, 2));
    EXPECT_VEC_NEAR(GetCameraPosition(), -7, 0.5f, 12, kEps);
    EXPECT_VEC_NEAR(GetCameraDirection(), 0, 0, -1, kEps);
}

TEST_F(Camera, MovesFollowTheCamerasOwnAxes) {
    SetCameraLookAt(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(4, 0, 9), D3DXVECTOR3(0, 1, 0));
    const D3DXVECTOR3 start = GetCameraPosition();
    const D3DXVECTOR3 right = GetCameraRight(), up = GetCameraUp(), direction = GetCameraDirection();

    MoveCamera(D3DXVECTOR3(0, 0, 1));
    D3DXVECTOR3 moved = GetCameraPosition() - start;
    EXPECT_VEC_NEAR(moved, direction.x, direction.y, direction.z, kEps);
    EXPECT_VEC_NEAR(GetCameraDirection(), direction.x, direction.y, direction.z, 1e-6f);

    MoveCamera(D3DXVECTOR3(2, -3, 0));
    moved = GetCameraPosition() - start;
    D3DXVECTOR3 want = direction + right * 2.0f - up * 3.0f;
    EXPECT_VEC_NEAR(moved, want.x, want.y, want.z, kEps);
}

TEST_F(Camera, TurnsKeepThePositionAndTurnTheWayTheirNamesSay) {
    SetCameraLookAt(D3DXVECTOR3(5, 1, 5), D3DXVECTOR3(5, 1, 6), D3DXVECTOR3(0, 1, 0));  // looking +z, right is +x
    const float a = 0.3f;

    PitchCamera(a);  // tilts down
    EXPECT_VEC_NEAR(GetCameraDirection(), 0, -std::sin(a), std::cos(a), kEps);
    EXPECT_VEC_NEAR(GetCameraPosition(), 5, 1, 5, kEps);
    PitchCamera(-a);

    YawCamera(a);  // turns right
    EXPECT_VEC_NEAR(GetCameraDirection(), std::sin(a), 0, std::cos(a), kEps);
    YawCamera(-a);

    TurnCamera(a);  // turns left
    EXPECT_VEC_NEAR(GetCameraDirection(), -std::sin(a), 0, std::cos(a), kEps);
    TurnCamera(-a);

    RollCamera(a);  // the view direction stays, up leans over
    EXPECT_VEC_NEAR(GetCameraDirection(), 0, 0, 1, kEps);
    EXPECT_NEAR(GetCameraUp().y, std::cos(a), kEps);
    RollCamera(-a);
    EXPECT_VEC_NEAR(GetCameraPosition(), 5, 1, 5, kEps);

    // Pitched down, a turn goes about the world's vertical and keeps the horizon
    // level; a yaw goes about the camera's own tilted up axis and does not.
    PitchCamera(0.5f);
    D3DXMATRIX pitched = GraphicsState.viewMatrix;
    TurnCamera(0.7f);
    EXPECT_NEAR(GetCameraRight().y, 0.0f, kEps);
    EXPECT_NEAR(GetCameraDirection().y, -std::sin(0.5f), kEps);
    GraphicsState.viewMatrix = pitched;
    YawCamera(0.7f);
    EXPECT_GT(std::fabs(GetCameraRight().y), 0.1f);
    EXPECT_VEC_NEAR(GetCameraPosition(), 5, 1, 5, kEps);
}

TEST_F(Camera, KeysMoveAtTheSameSpeedAtAnyFrameRate) {
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    Press(DIK_W);
    Press(DIK_D);
    D3DXVECTOR3 before = GetCameraPosition();
    ControlCameraByKeys(1.0f);
    D3DXVECTOR3 step = GetCameraPosition() - before;
    EXPECT_NEAR(Dot(step, GetCameraDirection()), 0.7071068f, 1e-5);
    EXPECT_NEAR(Dot(step, GetCameraRight()), 0.7071068f, 1e-5);

    // Twice the frame rate, half the step; held keys act as pushed ones do.
    std::memcpy(InputState.prevKeys, InputState.keys, sizeof InputState.keys);
    ASSERT_EQ(GetKey(DIK_W), KEY_HELD);
    frameTimer.fps = 60.0f;
    before = GetCameraPosition();
    ControlCameraByKeys(1.0f);
    step = GetCameraPosition() - before;
    EXPECT_NEAR(Dot(step, GetCameraDirection()), 0.3535534f, 1e-5);

    // S overrides W, A overrides D; a lone axis moves at full speed.
    InputState = InputStateRecord{};
    frameTimer.fps = 30.0f;
    Press(DIK_W);
    Press(DIK_S);
    before = GetCameraPosition();
    ControlCameraByKeys(2.0f);
    step = GetCameraPosition() - before;
    EXPECT_NEAR(Dot(step, GetCameraDirection()), -2.0f, 1e-5);
    EXPECT_NEAR(Dot(step, GetCameraRight()), 0.0f, 1e-5);

    // A released key does nothing.
    InputState = InputStateRecord{};
    InputState.prevKeys[DIK_A] = 0x80;
    before = GetCameraPosition();
    ControlCameraByKeys(1.0f);
    EXPECT_VEC_NEAR(GetCameraPosition(), before.x, before.y, before.z, 1e-6f);
}

TEST_F(Camera, ArrowKeysTurnAndStillTurnBelowOneFramePerSecond) {
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    Press(DIK_RIGHT);
    ControlCameraByKeys(1.0f);  // 0.1 radian at 30 frames per second
    EXPECT_VEC_NEAR(GetCameraDirection(), std::sin(0.1f), 0, std::cos(0.1f), kEps);

    // At half a frame a second the turn is sixty times larger, and W moves nothing.
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    InputState = InputStateRecord{};
    Press(DIK_UP);
    Press(DIK_W);
    frameTimer.fps = 0.5f;
    ControlCameraByKeys(0.01f);  // turn 0.001 * 60 = 0.06 radian, tilting up
    EXPECT_VEC_NEAR(GetCameraDirection(), 0, std::sin(0.06f), std::cos(0.06f), kEps);
    EXPECT_VEC_NEAR(GetCameraPosition(), 0, 0, 0, 1e-6f);
}

TEST_F(Camera, ProjectionsUseTheCameraOfTheFrameStart) {
    D3DXVECTOR3 eye(2, 3, -4), at(0, 1, 2);
    SetCameraLookAt(eye, at, D3DXVECTOR3(0, 1, 0));
    ASSERT_EQ(BeginFrame(0xFF000000), 1);

    EXPECT_VEC_NEAR(WorldToScreen(at), 320, 240, 0, 1e-3f);
    D3DXVECTOR3 behind = eye - (at - eye);
    EXPECT_EQ(WorldToScreen(behind).z, -1.0f);
    // Right and up of the view go right and up on the screen (y down).
    D3DXVECTOR3 rightUp = WorldToScreen(at + GetCameraRight() + GetCameraUp());
    EXPECT_GT(rightUp.x, 320.0f);
    EXPECT_LT(rightUp.y, 240.0f);

    // The screen's centre at depth 0 and 1 lies on the near and far planes.
    D3DXVECTOR3 d = GetCameraDirection();
    D3DXVECTOR3 nearPoint = eye + d * 0.1f, farPoint = eye + d * 1000.0f;
    EXPECT_VEC_NEAR(ScreenToWorld(D3DXVECTOR3(320, 240, 0)), nearPoint.x, nearPoint.y, nearPoint.z, 1e-3f);
    EXPECT_VEC_NEAR(ScreenToWorld(D3DXVECTOR3(320, 240, 1)), farPoint.x, farPoint.y, farPoint.z, 0.5f);

    // Until the next frame starts the pixels stay those of the old view.
    MoveCamera(D3DXVECTOR3(3, 0, 0));
    EXPECT_VEC_NEAR(WorldToScreen(at), 320, 240, 0, 1e-3f);
    EndFrame();
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    EXPECT_LT(WorldToScreen(at).x, 300.0f);  // the camera went right, the point left
}

TEST_F(Camera, LightDirectionIsNormalisedAndDrivesTheShadow) {
    SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
    EXPECT_VEC_NEAR(light.Direction, 0.5773503f, -0.5773503f, -0.5773503f, 1e-6f);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Range, 1000.0f);
    EXPECT_EQ(device->light0.Direction.x, light.Direction.x);
    EXPECT_TRUE(device->light0Enabled);

    // A point 2 above the ground falls along the light onto y = 0.
    D3DXMATRIX shadow;
    GetShadowMatrix(&shadow, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
    D3DXVECTOR3 p(1, 2, 3), flat;
    D3DXVec3TransformCoord(&flat, &p, &shadow);
    EXPECT_VEC_NEAR(flat, 3, 0, 1, 1e-4f);
}

// A billboard's model x and y axes end up as the screen's right and up, whatever
// way the camera looks, and it stands where it was put.
TEST_F(Camera, BillboardsFaceTheCameraOfTheFrameStart) {
    SetCameraLookAt(D3DXVECTOR3(7, 4, -3), D3DXVECTOR3(-2, 0, 5), D3DXVECTOR3(0, 1, 0));
    RollCamera(0.3f);
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    SetBillboardWorld(1, 2, 3);
    const D3DXMATRIX world = device->transforms[D3DTS_WORLD];
    EXPECT_VEC_NEAR(D3DXVECTOR3(world._41, world._42, world._43), 1, 2, 3, kEps);

    const D3DXMATRIX inView = world * GraphicsState.viewMatrix;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(inView.m[r][c], r == c ? 1.0f : 0.0f, kEps) << r << "," << c;
    // Its face, the model's -z side, points back at the eye.
    D3DXVECTOR3 facing(world._31, world._32, world._33);
    EXPECT_NEAR(Dot(facing, GetCameraDirection()), 1.0f, kEps);
}

TEST_F(Camera, TheLightSwitchesWithoutChangingAndTheShadowColourIsItsOwn) {
    SetDirectionalLight(D3DXVECTOR3(0, -1, 0), D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0});
    const D3DLIGHT8 before = device->light0;
    EnableLight(FALSE);
    EXPECT_FALSE(device->light0Enabled);
    EnableLight(TRUE);
    EXPECT_TRUE(device->light0Enabled);
    EXPECT_EQ(std::memcmp(&device->light0, &before, sizeof before), 0);

    // Black at half alpha until changed; only the diffuse colour changes.
    EXPECT_EQ(shadowMaterial.Diffuse.a, 0.5f);
    EXPECT_EQ(shadowMaterial.Diffuse.r, 0.0f);
    SetShadowColor(0.25f, 0.5f, 0.75f, 0.125f);
    EXPECT_EQ(shadowMaterial.Diffuse.r, 0.25f);
    EXPECT_EQ(shadowMaterial.Diffuse.g, 0.5f);
    EXPECT_EQ(shadowMaterial.Diffuse.b, 0.75f);
    EXPECT_EQ(shadowMaterial.Diffuse.a, 0.125f);
    EXPECT_EQ(shadowMaterial.Ambient.a, 0.0f);
    EXPECT_EQ(shadowMaterial.Emissive.r, 0.0f);
    EXPECT_EQ(light.Diffuse.r, 0.5f);  // the light keeps its colour
    EXPECT_TRUE(device->light0Enabled);
}

// Runs SDL on an X display of its own, so that moving the pointer cannot disturb
// tests running beside this one.
class CameraMouse : public Camera {
protected:
    static void SetUpTestSuite() {
        display = new PrivateDisplay;
        if (!display->name.empty()) setenv("DISPLAY", display->name.c_str(), 1);
    }
    // Stopped here rather than by a static destructor at exit, where it would race
    // the program's own shutdown of its X connection.
    static void TearDownTestSuite() {
        delete display;
        display = nullptr;
    }
    static inline PrivateDisplay* display = nullptr;
};

TEST_F(CameraMouse, TurnsByTheCursorAndRecentresItHorizontally) {
    const bool pointer = NolInitSdlVideo() && SetCursorPos(0, 0);
    if (!pointer) {
        if (NolDisplayRequired()) ADD_FAILURE() << "no pointer to move, and this run requires one";
        std::printf("no pointer to move: the cursor itself is not checked\n");
    }
    GraphicsState.windowed = 0;  // cursor positions are screen positions
    clientWidth = 640;
    clientHeight = 480;
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    const float kx = 640 / 1.0471976f, ky = 480 / 1.5707964f;

    // First call: the cursor is measured from the window's centre. Far to the left
    // it turns the view left and is put back in the middle at its own height.
    InputState.mousePos = POINT{100, 300};
    ControlCameraByMouse(0.2f);
    float yaw = 220 / kx, pitch = 60 / ky;
    EXPECT_NEAR(std::atan2(-GetCameraDirection().x, GetCameraDirection().z), yaw, 1e-4f);
    EXPECT_NEAR(std::asin(-GetCameraDirection().y), pitch, 1e-4f);  // lower cursor, view tilts down
    if (pointer) {
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, 320);
        EXPECT_EQ(cursor.y, 300);
    }

    // From the re-centred point, 10 pixels right turns right by 10 / kx; inside the
    // middle half nothing is moved.
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    if (pointer) SetCursorPos(0, 0);
    InputState.mousePos = POINT{330, 300};
    ControlCameraByMouse(0.2f);
    EXPECT_NEAR(std::atan2(GetCameraDirection().x, GetCameraDirection().z), 10 / kx, 1e-5f);
    EXPECT_NEAR(GetCameraDirection().y, 0.0f, 1e-5f);  // same height as last time
    if (pointer) {
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, 0);
    }

    // The same position again turns nothing, and W moves by the speed.
    D3DXMATRIX before = GraphicsState.viewMatrix;
    Press(DIK_W);
    ControlCameraByMouse(0.2f);
    EXPECT_NEAR(GraphicsState.viewMatrix._11, before._11, 1e-6f);
    EXPECT_NEAR(GraphicsState.viewMatrix._13, before._13, 1e-6f);
    D3DXVECTOR3 step = GetCameraPosition();
    EXPECT_NEAR(Dot(step, GetCameraDirection()), 0.2f, 1e-5f);

    // The first call's values are kept when the window changes size: 30 pixels
    // left still turns by 30 / kx, and the new middle is where the cursor goes.
    clientWidth = 1280;
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    InputState = InputStateRecord{};
    InputState.mousePos = POINT{300, 300};
    ControlCameraByMouse(0.2f);
    EXPECT_NEAR(std::atan2(-GetCameraDirection().x, GetCameraDirection().z), 30 / kx, 1e-5f);
    if (pointer) {
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, 640);
    }
}

}  // namespace
