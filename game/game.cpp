// The game's hooks and its two states: the selection screen with the turning
// title model, and the race with the frame-count display.
#include "game/game.h"

#include <cstdio>

#include "input/input.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/text.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "sound/music.h"
#include "win32/windows.h"

// The game's objects live for the whole process and are destroyed after the
// shell's shutdown (the Application's destructor) has run. That holds because the
// game library is linked ahead of the framework, so these are constructed first;
// tests/test_game_process.cpp checks the order in the log of a real run.
Mesh titleMesh;
CNode titleNode;
Course course;
Car car;
int courseNumber = 1;
int gameState = kSelection;

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr float kTitleTurn = 0.03f;
constexpr int kLineHeight = 18;

// Along +x, where the title model stands.
void AimTitleCamera() { SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)); }

void DrawNumberAt(int x, int y, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d\n", value);
    DrawTextAt(x, y, text);
}

void SelectionFrame() {
    BeginFrame(kBlack);
    SetZWrite(TRUE);
    titleNode.RotateY(kTitleTurn);
    SetLighting(TRUE);
    titleNode.Draw();

    if (GetKey(DIK_LEFT) == KEY_PUSHED && courseNumber > 1) courseNumber -= 1;
    if (GetKey(DIK_RIGHT) == KEY_PUSHED && courseNumber < 3) courseNumber += 1;
    if (GetKey(DIK_RETURN) == KEY_PUSHED) {
        course.SetupCourse(courseNumber);
        car.SetupCar(&course);
        gameState += 1;
    }

    BeginText();
    DrawTextAt(160, 300, "Select Corse with cursor key and push Enter");
    DrawTextAt(190, 320, "Course");
    DrawNumberAt(250, 320, courseNumber);
    EndText();
    EndFrame();
}

void RaceFrame() {
    ControlCameraByMouse(0.2f);
    MapRaceKeys();
    car.DriveStep();
    car.GroundStep();
    car.LapStep();
    BeginFrame(kBlack);
    car.DrawCar();
    course.DrawCourse();

    BeginText();
    DrawTextAt(0, 0, "Tota Frame");
    DrawTextAt(100, 0, car.FormatNumber(car.totalFrames));
    for (int i = 1; i <= car.lap && i < kLapSlots; ++i) {
        DrawTextAt(0, kLineHeight * i, "Lap");
        DrawNumberAt(40, kLineHeight * i, i);
        DrawTextAt(50, kLineHeight * i, car.FormatNumber(car.lapFrames[i]));
    }
    EndText();
    EndFrame();

    // Q: the chase camera has just aimed at the car for the next frame, which is
    // the selection's.
    if (gameState == kSelection) AimTitleCamera();
}

}  // namespace

void GameStart() {
    SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
    SetCurrentDirectoryA("data");
    LoadMusic("ambient.mid");
    PlayMusic(1);
    AimTitleCamera();
    titleMesh.Load("opentitle.x", 0, 1);
    titleNode.Setup(&titleMesh, 0, 0, 0, 1.0f);
    titleNode.SetLocalPosition(3, 0, 0);
    if (GraphicsState.device) GraphicsState.device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
}

void GameFrame() {
    if (gameState == kRace)
        RaceFrame();
    else
        SelectionFrame();
}

void GameEnd() {}
