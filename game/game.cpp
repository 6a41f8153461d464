// The game's hooks and its two states: the selection screen with the turning
// title model, and the race with the frame-count display.
#include "game/game.h"

#include <cstdio>

#include "render/direct3d.h"
#include "render/frame.h"
#include "render/text.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "sound/music.h"
#include "win32/windows.h"

namespace {

// Held through a pointer rather than as objects of their own, so that no
// exit-time destructor, ordered by how the program happens to be linked,
// decides when they go: FreeGame ends them, and the shell calls it once its own
// shutdown is done (tests/test_game_process.cpp checks the order in a real run).
struct GameObjects {
    Mesh titleMesh;
    CNode titleNode;
    Course course;
    Car car;
};
GameObjects* objects = new GameObjects;

}  // namespace

Mesh& titleMesh = objects->titleMesh;
CNode& titleNode = objects->titleNode;
Course& course = objects->course;
Car& car = objects->car;
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

    if (PreviousCoursePushed() && courseNumber > 1) courseNumber -= 1;
    if (NextCoursePushed() && courseNumber < 3) courseNumber += 1;
    if (StartRacePushed()) {
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

void FreeGame() {
    delete objects;
    objects = nullptr;
}
