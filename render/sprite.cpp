// Sprites on the shared D3DX sprite object.
#include "render/sprite.h"

#include "render/graphics_state.h"
#include "win32/windows.h"

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr int kCellsAcross = 16;
constexpr int kTabWidth = 64;
// The highest index DrawString reads: a text without a terminator stops there.
constexpr int kLastIndex = 4096;

// A rectangle's corner on the screen; float to int conversion truncates toward zero.
int ScreenCoordinate(LONG v, float scale, float offset) { return static_cast<int>(v * scale + offset); }

}  // namespace

void Sprite::SetImage(Texture* texture) {
    image = texture;
    UINT w = 0, h = 0;
    if (texture) texture->GetSize(&w, &h);
    srcRect = RECT{0, 0, LONG(w), LONG(h)};
    hitRect = srcRect;
    centre = D3DXVECTOR2(w / 2.0f, h / 2.0f);
    visible = 1;
    collidable = 1;
}

void Sprite::Draw() {
    if (!image || visible != 1 || !GraphicsState.sprite) return;
    const D3DXVECTOR2 scaledCentre(centre.x * scale.x, centre.y * scale.y);
    GraphicsState.sprite->Draw(image->GetTexture(), &srcRect, &scale, &scaledCentre, rotation, &position, colour);
}

// Codes from 128 up have no cell in the sheet and are skipped without moving on;
// a two-byte character is skipped whole, so that its second byte does not show
// as a stray ASCII letter.
void Sprite::DrawString(const char* text) {
    if (!text) return;
    const int startX = static_cast<int>(position.x);
    int x = startX;
    int y = static_cast<int>(position.y);
    for (int i = 0; i <= kLastIndex && text[i]; ++i) {
        const unsigned char k = static_cast<unsigned char>(text[i]);
        if (k == '\n') {
            x = startX;
            y += kCellHeight;
        } else if (k == '\t') {
            x += kTabWidth - ((x % kTabWidth) + kTabWidth) % kTabWidth;  // left of 0 too
        } else if (k >= 128) {
            if (IsDBCSLeadByte(k) && i < kLastIndex && text[i + 1]) ++i;
        } else {
            const LONG left = kCellWidth * (k % kCellsAcross), top = kCellHeight * (k / kCellsAcross);
            srcRect = RECT{left, top, left + kCellWidth, top + kCellHeight};
            position = D3DXVECTOR2(float(x), float(y));
            Draw();
            x += kCellWidth;
        }
    }
}

int Sprite::HitTest(const Sprite& other) const {
    if (!image || !other.image || collidable != 1 || other.collidable != 1) return 0;
    struct Box {
        int left, top, right, bottom;
    };
    auto onScreen = [](const Sprite& s) {
        return Box{ScreenCoordinate(s.hitRect.left, s.scale.x, s.position.x),
                   ScreenCoordinate(s.hitRect.top, s.scale.y, s.position.y),
                   ScreenCoordinate(s.hitRect.right, s.scale.x, s.position.x),
                   ScreenCoordinate(s.hitRect.bottom, s.scale.y, s.position.y)};
    };
    const Box a = onScreen(*this), b = onScreen(other);
    return b.left < a.right && a.left < b.right && b.top < a.bottom && a.top < b.bottom;
}

void Sprite::BeginSprites() {
    if (GraphicsState.sprite) GraphicsState.sprite->Begin();
}

void Sprite::EndSprites() {
    if (GraphicsState.sprite) GraphicsState.sprite->End();
}
