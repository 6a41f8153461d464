// Textured screen rectangles drawn through the shared D3DX sprite, with a hit
// rectangle for overlap tests and ASCII text from an 8 x 16 font sheet.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"
#include "render/texture.h"

class Sprite {
public:
    Sprite() = default;
    virtual ~Sprite() = default;
    virtual void Draw();

    // Shows the whole image, hit-tested over all of it and turning about its middle.
    void SetImage(Texture* texture);
    void SetScale(float x, float y) { scale = D3DXVECTOR2(x, y); }
    void SetCentre(float x, float y) { centre = D3DXVECTOR2(x, y); }
    void SetPosition(float x, float y) { position = D3DXVECTOR2(x, y); }
    void SetColour(D3DCOLOR c) { colour = c; }
    void SetSourceRect(LONG left, LONG top, LONG right, LONG bottom) { srcRect = RECT{left, top, right, bottom}; }
    void SetHitRect(LONG left, LONG top, LONG right, LONG bottom) { hitRect = RECT{left, top, right, bottom}; }

    // The image is a sheet of 16 x 8 cells of 8 x 16 texels, one per code 0..127.
    // Leaves srcRect and position at the last glyph drawn.
    void DrawString(const char* text);
    // Whether the two hit rectangles, scaled and placed on the screen, overlap.
    // Rotation is not taken into account.
    int HitTest(const Sprite& other) const;

    // Bracket a run of sprite draws so that they go to the device together.
    static void BeginSprites();
    static void EndSprites();

    Texture* image = nullptr;  // not owned
    RECT srcRect{0, 0, 0, 0};
    RECT hitRect{0, 0, 0, 0};
    D3DXVECTOR2 scale{1.0f, 1.0f};
    D3DXVECTOR2 centre{0.0f, 0.0f};    // in unscaled sprite space
    D3DXVECTOR2 position{0.0f, 0.0f};  // screen pixel of the sprite's origin
    float rotation = 0.0f;             // radians, about the scaled centre
    D3DCOLOR colour = 0xFFFFFFFF;
    int visible = 0;
    int collidable = 0;
};
