// Screen 8: the open and save file dialogs. O (or the Open button) opens a text
// file, S (or the Save button) saves one; the path chosen, or "cancelled", is shown
// and logged. The square sweeping below stands still while a dialog is up: the
// program draws no frames then, and the window keeps its last picture.
#include <cstdio>
#include <string>

#include "demo/screen.h"
#include "input/file_dialog.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/shapes.h"
#include "shell/log.h"
#include "shell/window.h"
#include "win32/windows.h"

namespace {

struct Button {
    int x1, y1, x2, y2;
    const char* label;
};
constexpr Button kOpen = {100, 150, 300, 210, "Open... (O)"};
constexpr Button kSave = {340, 150, 540, 210, "Save... (S)"};
constexpr int kSweepY = 340, kSweepPeriod = 180;  // frames there and back

struct FileDialogScene {
    std::string result = "nothing chosen yet";
    int frame = 0;
};
FileDialogScene* scene = nullptr;

void Enter() { scene = new FileDialogScene; }

void Leave() {
    delete scene;
    scene = nullptr;
}

// A left click on the button this frame, the cursor taken to the 640 x 480 picture.
bool Clicked(const Button& b) {
    if (GetMouseButton(0) != KEY_PUSHED || clientWidth <= 0 || clientHeight <= 0) return false;
    const int x = GetMouseX() * 640 / clientWidth, y = GetMouseY() * 480 / clientHeight;
    return x >= b.x1 && x < b.x2 && y >= b.y1 && y < b.y2;
}

void Ask(int save) {
    char path[MAX_PATH];
    const int chosen = FileDialog(path, sizeof path, "Text", "txt", save);
    scene->result = std::string(save ? "save: " : "open: ") + (chosen ? path : "cancelled");
    LogMessage("%s\n", scene->result.c_str());
}

// Before the frame is begun, so that the window keeps the last frame while a
// dialog is up.
void Prepare() {
    if (GetKey(DIK_O) == KEY_PUSHED || Clicked(kOpen))
        Ask(0);
    else if (GetKey(DIK_S) == KEY_PUSHED || Clicked(kSave))
        Ask(1);
}

void DrawButton(const Button& b, D3DCOLOR colour) {
    FillRect2D(b.x1, b.y1, b.x2, b.y2, colour);
    DrawRect2D(b.x1, b.y1, b.x2, b.y2, 0xFFFFFFFF);
}

void Frame() {
    ++scene->frame;
    SetLighting(FALSE);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    FillRect2D(40, 40, 600, 420, 0xFF102040);
    DrawButton(kOpen, 0xFF2060A0);
    DrawButton(kSave, 0xFF20A060);
    const int t = scene->frame % kSweepPeriod, half = kSweepPeriod / 2;
    const int sx = 60 + (t < half ? t : kSweepPeriod - t) * 500 / half;
    FillRect2D(sx, kSweepY, sx + 20, kSweepY + 20, 0xFFFFC040);

    BeginText();
    DrawTextAt(60, 60, "File dialogs: the desktop's own chooser");
    DrawTextAt(60, 90, "O or Open: open a text file (*.txt)");
    DrawTextAt(60, 110, "S or Save: save one (.txt added to a bare name)");
    DrawTextAt(kOpen.x1 + 40, kOpen.y1 + 22, kOpen.label);
    DrawTextAt(kSave.x1 + 40, kSave.y1 + 22, kSave.label);
    DrawTextAt(60, 250, scene->result.c_str());
    EndText();
}

}  // namespace

const DemoScreen kFileDialogScreen = {"File dialogs: O open, S save", Enter, Frame, Leave, Prepare};
