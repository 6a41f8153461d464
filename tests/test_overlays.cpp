// The debug overlays: the text each one hands the font, cut where a value is too
// long for its buffer, and once on the real device, pixel for pixel the picture of
// that text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input.h"
#include "input/overlays.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render/text.h"
#include "recording_font.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "shell/frame_timer.h"

namespace {

class Overlays : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GraphicsState.font;
        GraphicsState.font = &font;
        InputState = InputStateRecord{};
    }
    void TearDown() override {
        GraphicsState.font = saved;
        InputState = InputStateRecord{};
        frameTimer = FrameTimer{};
    }

    // What one overlay call drew.
    template <typename Draw>
    std::string Drawn(Draw draw) {
        font.texts.clear();
        draw(7, 9);
        EXPECT_EQ(font.texts.size(), 1u);
        EXPECT_EQ(font.rect.left, 7);
        EXPECT_EQ(font.rect.top, 9);
        return font.texts.empty() ? std::string() : font.texts.back();
    }

    RecordingFont font;
    ID3DXFont* saved = nullptr;
};

}  // namespace

TEST_F(Overlays, FrameRateAndCameraWithOneDecimalAndCutWhereTooLong) {
    EXPECT_EQ(Drawn(DrawFps), "30.0");  // the pacer's value before any frame is measured
    frameTimer.fps = 29.96f;
    EXPECT_EQ(Drawn(DrawFps), "30.0");
    frameTimer.fps = 7.25f;
    EXPECT_EQ(Drawn(DrawFps), "7.2");
    // Eight bytes hold seven characters.
    frameTimer.fps = 12345678.0f;
    EXPECT_EQ(Drawn(DrawFps), "1234567");

    frameTimer.fps = 30.0f;
    SetCameraLookAt(D3DXVECTOR3(1, 2, -3), D3DXVECTOR3(1, 2, 7), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(Drawn(DrawCameraInfo), "30.0 (1.0, 2.0, -3.0)->(0.0,0.0,1.0)");
    SetCameraLookAt(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(-1, 5, 0), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(Drawn(DrawCameraInfo), "30.0 (-0.0, 5.0, 0.0)->(-1.0,0.0,0.0)");

    // A camera far out: cut at the 80-byte buffer, never past it.
    SetCameraLookAt(D3DXVECTOR3(-4e15f, -4e15f, -4e15f), D3DXVECTOR3(-4e15f, -4e15f, 0), D3DXVECTOR3(0, 1, 0));
    EXPECT_EQ(Drawn(DrawCameraInfo),
              "30.0 (-3999999947964416.0, -3999999947964416.0, -3999999947964416.0)->(0.0,0.0,");
}

TEST_F(Overlays, KeysShowPushedForOneFrameThenHeld) {
    EXPECT_EQ(Drawn(DrawKeyInfo), "Up=0 Down=0 Left=0 Right=0 Z=0 X=0 C=0");
    InputState.keys[DIK_RIGHT] = 0x80;  // just pressed
    InputState.keys[DIK_X] = 0x80;
    InputState.prevKeys[DIK_X] = 0x80;  // held
    InputState.prevKeys[DIK_C] = 0x80;  // just released
    EXPECT_EQ(Drawn(DrawKeyInfo), "Up=0 Down=0 Left=0 Right=2 Z=0 X=3 C=1");
    InputState.prevKeys[DIK_RIGHT] = 0x80;
    EXPECT_EQ(Drawn(DrawKeyInfo), "Up=0 Down=0 Left=0 Right=3 Z=0 X=3 C=1");
}

TEST_F(Overlays, MouseShowsCursorButtonsAndWheel) {
    InputState.mousePos = POINT{-12, 479};
    InputState.mouseButtons[1] = 0x80;
    InputState.prevMouseButtons[2] = 0x80;
    InputState.mouseWheel = -240;
    EXPECT_EQ(Drawn(DrawMouseInfo), "X=-12 Y=479 Left=0 Right=2 Middle=1 Wheel=-240");
}

TEST_F(Overlays, JoystickShowsTwoLinesOfTheFirstController) {
    // Not polled: every entry reads up.
    EXPECT_EQ(Drawn(DrawJoystickInfo),
              "Up=0 Down=0 Left=0 Right=0\nB0=0 B1=0 B2=0 B3=0 B4=0 B5=0 B6=0 B7=0 \n");

    InputState.joystickEnabled = 1;
    InputState.joystickCount = 2;
    InputState.joystick[0][JOY_LEFT] = 0x80;
    InputState.joystick[0][JOY_BUTTON0] = 0x80;
    InputState.prevJoystick[0][JOY_BUTTON0] = 0x80;
    InputState.joystick[0][JOY_BUTTON0 + 7] = 0x80;
    InputState.joystick[1][JOY_UP] = 0x80;  // the second controller is not shown
    EXPECT_EQ(Drawn(DrawJoystickInfo),
              "Up=0 Down=0 Left=2 Right=0\nB0=3 B1=0 B2=0 B3=0 B4=0 B5=0 B6=0 B7=2 \n");
}

// On the real device an overlay's picture is that of its text drawn directly.
class OverlaysOnDevice : public FrameworkDevice {};

TEST_F(OverlaysOnDevice, TheJoystickOverlayDrawsItsTwoLines) {
    if (!Ready()) return;
    InputState = InputStateRecord{};
    auto frame = [&](const char* png, auto draw) {
        EXPECT_EQ(BeginFrame(0xFF000000), 1);
        BeginText();
        draw();
        EndText();
        std::vector<uint32_t> pixels = ReadBack(png);
        EndFrame();
        return pixels;
    };
    const auto overlay = frame("overlay-joystick", [] { DrawJoystickInfo(20, 30); });
    const auto text = frame("overlay-joystick-text", [] {
        DrawTextAt(20, 30, "Up=0 Down=0 Left=0 Right=0\nB0=0 B1=0 B2=0 B3=0 B4=0 B5=0 B6=0 B7=0 \n");
    });
    EXPECT_TRUE(overlay == text);

    // Ink on both lines, nothing above the position.
    auto inkInRows = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 640; ++x) n += (At(overlay, x, y) & 0xFFFFFF) != 0;
        return n;
    };
    EXPECT_EQ(inkInRows(0, 30), 0);
    EXPECT_GT(inkInRows(30, 46), 100);
    EXPECT_GT(inkInRows(46, 62), 100);
}
