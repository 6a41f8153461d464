// Screen 8: a text field. ASCII is typed straight in; Japanese comes through the
// desktop's input method (IBus, Fcitx), whose composition the field draws at its
// caret. Enter shows and logs the text, Escape cancels; the field then starts
// again, empty. While the screen is shown, digits go into the field.
#include <cmath>
#include <cstring>
#include <string>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "input/input.h"
#include "input/text_entry.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/shapes.h"
#include "shell/log.h"

namespace {

constexpr int kFieldX = 64, kFieldY = 200;
constexpr int kMaxLength = 64;  // bytes: the field's box holds 64 half-width characters
constexpr int kBoxLeft = kFieldX - 10, kBoxTop = kFieldY - 10;
constexpr int kBoxRight = kFieldX + kMaxLength * 8 + 10, kBoxBottom = kFieldY + 26;

struct TextScene {
    CTextEntry field;
    std::string committed;
    bool cancelled = false;
    int frame = 0;
};
TextScene* scene = nullptr;

void Restart() {
    scene->field.ClearText();
    scene->field.Begin(kFieldX, kFieldY, kMaxLength);
}

void Enter() {
    scene = new TextScene;
    Restart();
}

void Leave() {
    delete scene;  // the field gives its input context back
    scene = nullptr;
    SetCloseKey(DIK_ESCAPE);
}

// The field's box, its outline pulsing while it takes typing.
void DrawBox() {
    SetLighting(FALSE);
    SetZEnable(FALSE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    D3DXMATRIX flat;
    D3DXMatrixIdentity(&flat);
    SetWorldMatrix(flat);
    FillRect2D(kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, 0xFF182850);
    const int glow = 128 + static_cast<int>(127 * std::sin(scene->frame * 0.2));
    DrawRect2D(kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, D3DCOLOR_XRGB(glow / 2, glow, 255));
    SetZEnable(TRUE);
}

void Frame() {
    ++scene->frame;
    DrawBox();
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    BeginText();
    DrawTextAt(kBoxLeft, 100, "Type ASCII, or Japanese through the input method.");
    DrawTextAt(kBoxLeft, 120, "Enter: take the text   Esc: cancel (leaves the demo when empty)");
    DrawTextAt(kBoxLeft, 140, "PageUp/PageDown: other screens (digits go into the field)");
    switch (scene->field.Update()) {
        case 1:
            scene->committed = scene->field.GetText();
            scene->cancelled = false;
            LogMessage("text: %s\n", scene->committed.c_str());
            Restart();
            break;
        case -1:
            scene->cancelled = true;
            LogMessage("cancelled\n");
            Restart();
            break;
        default: break;
    }
    if (scene->cancelled)
        DrawTextAt(kBoxLeft, 250, "cancelled");
    else
        DrawTextFormat(kBoxLeft, 250, "text: %s", scene->committed.c_str());
    DrawTextFormat(kBoxLeft, 270, "%d of %d bytes%s", static_cast<int>(std::strlen(scene->field.GetText())),
                   kMaxLength, scene->field.IsComposing() ? ", composing" : "");
    EndText();
    // Esc leaves the demo only from an empty field, and only once let go after
    // cancelling: the close key acts every frame it is down.
    const bool idle = !*scene->field.GetText() && !scene->field.IsComposing();
    SetCloseKey(idle && !(GetKey(DIK_ESCAPE) & 2) ? DIK_ESCAPE : 0);
}

}  // namespace

const DemoScreen kTextEntryScreen = {"Text entry: ASCII and Japanese through the input method",
                                     Enter, Frame, Leave, nullptr, true};
