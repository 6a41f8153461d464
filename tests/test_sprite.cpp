// Framework sprites: hit tests on the screen rectangles, text from the 8 x 16
// font sheet, and a scaled, turned and tinted sprite, drawn and read back.
#include <gtest/gtest.h>

#include <string>

#include "render/frame.h"
#include "render/sprite.h"
#include "render_fixture.h"

namespace {

// ---- hit tests (no device needed) ---------------------------------------------------

class SpriteHits : public ::testing::Test {
protected:
    // Only its size matters to SetImage; hit tests only ask whether there is one.
    Texture image;
    Sprite a, b;
    void SetUp() override {
        image.desc.Width = 10;
        image.desc.Height = 10;
        a.SetImage(&image);
        b.SetImage(&image);
    }
};

TEST_F(SpriteHits, SetImageShowsTheWholeImageAndTurnsAboutItsMiddle) {
    EXPECT_EQ(a.srcRect.right, 10);
    EXPECT_EQ(a.hitRect.bottom, 10);
    EXPECT_EQ(a.centre.x, 5.0f);
    EXPECT_EQ(a.visible, 1);
    EXPECT_EQ(a.collidable, 1);
}

TEST_F(SpriteHits, RectanglesThatOnlyTouchDoNotHit) {
    b.SetPosition(10, 0);
    EXPECT_FALSE(a.HitTest(b));
    EXPECT_FALSE(b.HitTest(a));
    b.SetPosition(0, 10);
    EXPECT_FALSE(a.HitTest(b));
    b.SetPosition(9.9f, 9.9f);  // truncated to 9: one pixel of overlap each way
    EXPECT_TRUE(a.HitTest(b));
    EXPECT_TRUE(b.HitTest(a));
}

TEST_F(SpriteHits, ScaleAndPositionApplyWithTruncationTowardZero) {
    b.SetPosition(15, 0);
    EXPECT_FALSE(a.HitTest(b));
    a.SetScale(2, 1);  // right edge at 20
    EXPECT_TRUE(a.HitTest(b));
    a.SetScale(1, 1);
    // -0.9 truncates to 0, not down to -1, so the left edge at 0 only touches b's
    // right edge at 0.
    a.SetPosition(-0.9f, 0);
    b.SetPosition(-10, 0);
    EXPECT_FALSE(a.HitTest(b));
    a.SetPosition(-1.0f, 0);
    EXPECT_TRUE(a.HitTest(b));
    // The hit rectangle is scaled before it is moved.
    b.SetHitRect(4, 0, 6, 10);
    b.SetScale(3, 1);
    b.SetPosition(0, 0);  // 12 .. 18
    a.SetPosition(0, 0);
    EXPECT_FALSE(a.HitTest(b));
    a.SetPosition(2.5f, 0);  // right edge 12.5 truncated to 12: touching
    EXPECT_FALSE(a.HitTest(b));
    a.SetPosition(3.0f, 0);
    EXPECT_TRUE(a.HitTest(b));
}

TEST_F(SpriteHits, OnlyCollidableSpritesWithImagesHit) {
    EXPECT_TRUE(a.HitTest(b));
    b.collidable = 0;
    EXPECT_FALSE(a.HitTest(b));
    EXPECT_FALSE(b.HitTest(a));
    b.collidable = 1;
    b.image = nullptr;
    EXPECT_FALSE(a.HitTest(b));
    EXPECT_FALSE(b.HitTest(a));
}

// The walk ends after index 4096 even without a terminator: 4097 glyphs at most.
TEST(SpriteText, DrawStringReadsAtMost4097Characters) {
    Sprite s;  // no image: nothing drawn, but the glyph positions still advance
    std::string text(5000, 'A');
    s.DrawString(text.c_str());
    EXPECT_EQ(s.position.x, 4096.0f * 8);
    EXPECT_EQ(s.srcRect.left, 8 * ('A' % 16));
    EXPECT_EQ(s.srcRect.top, 16 * ('A' / 16));
}

// ---- drawn on the real device -------------------------------------------------------

constexpr D3DCOLOR kBackground = 0xFF102030;

// Texel (x, y) of the cell of code k: the code in red, the place in green and blue.
uint32_t SheetTexel(int k, int x, int y) { return D3DCOLOR_XRGB(2 * k, 30 * x, 15 * y); }

class SpriteDrawing : public FrameworkDevice {
protected:
    Texture sheet;

    void SetUp() override {
        FrameworkDevice::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_NE(GraphicsState.sprite, nullptr);
        ASSERT_TRUE(Fill(&sheet, 128, 128, [](int x, int y) { return SheetTexel(16 * (y / 16) + x / 8, x % 8, y % 16); }));
    }

    template <typename F>
    bool Fill(Texture* t, UINT w, UINT h, F texel) {
        IDirect3DTexture8* tex = nullptr;
        if (FAILED(GraphicsState.device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex))) return false;
        D3DLOCKED_RECT locked{};
        tex->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = texel(x, y);
        tex->UnlockRect(0);
        t->texture = tex;
        tex->GetLevelDesc(0, &t->desc);
        return true;
    }

    void ExpectGlyph(const std::vector<uint32_t>& pixels, char c, int left, int top) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(At(pixels, left + x, top + y), SheetTexel(c, x, y))
                    << "'" << c << "' at " << left << "," << top << ", texel " << x << "," << y;
    }
};

TEST_F(SpriteDrawing, DrawStringPutsEachLetterInItsCellAndALineFeedGoesBackAndDown) {
    Sprite s;
    s.SetImage(&sheet);
    s.SetPosition(100, 50);
    ASSERT_EQ(BeginFrame(kBackground), 1);
    Sprite::BeginSprites();
    s.DrawString("AB\nC");
    Sprite::EndSprites();
    std::vector<uint32_t> pixels = ReadBack("sprite_drawstring_lines");
    EndFrame();
    ExpectGlyph(pixels, 'A', 100, 50);
    ExpectGlyph(pixels, 'B', 108, 50);
    ExpectGlyph(pixels, 'C', 100, 66);
    EXPECT_EQ(At(pixels, 116, 50), kBackground);
    EXPECT_EQ(At(pixels, 108, 66), kBackground);
    EXPECT_EQ(At(pixels, 100, 82), kBackground);
    // The last glyph drawn is left in the sprite.
    EXPECT_EQ(s.position.x, 100.0f);
    EXPECT_EQ(s.position.y, 66.0f);
    EXPECT_EQ(s.srcRect.left, 8 * ('C' % 16));
}

TEST_F(SpriteDrawing, ATabMovesOnToTheNextMultipleOf64) {
    Sprite s;
    s.SetImage(&sheet);
    s.SetPosition(70, 10);
    ASSERT_EQ(BeginFrame(kBackground), 1);
    s.DrawString("\tD");
    s.SetPosition(0, 40);
    s.DrawString("E\tF");  // 8 moves on to 64
    std::vector<uint32_t> pixels = ReadBack("sprite_drawstring_tab");
    EndFrame();
    ExpectGlyph(pixels, 'D', 128, 10);
    EXPECT_EQ(At(pixels, 70, 10), kBackground);
    ExpectGlyph(pixels, 'E', 0, 40);
    ExpectGlyph(pixels, 'F', 64, 40);
}

// Codes above 127 have no cell: they are skipped without moving on, a two-byte
// character whole (0x83 0x41 is a katakana letter, not an 'A').
TEST_F(SpriteDrawing, CodesAbove127AreSkipped) {
    Sprite s;
    s.SetImage(&sheet);
    s.SetPosition(200, 100);
    ASSERT_EQ(BeginFrame(kBackground), 1);
    s.DrawString("G\x83\x41H\xA0I");
    std::vector<uint32_t> pixels = ReadBack("sprite_drawstring_high_codes");
    EndFrame();
    ExpectGlyph(pixels, 'G', 200, 100);
    ExpectGlyph(pixels, 'H', 208, 100);
    ExpectGlyph(pixels, 'I', 216, 100);
    EXPECT_EQ(At(pixels, 224, 100), kBackground);
}

// A 2:1 image scaled 3 x 2, turned a quarter turn about its middle, tinted:
// D3DX scales first, turns about the scaled centre (positive angles take +x to
// +y, downwards on the screen), then moves.
TEST_F(SpriteDrawing, ScaleRotationAndColourLandWhereD3DXPutsThem) {
    Texture picture;
    ASSERT_TRUE(Fill(&picture, 8, 4, [](int x, int) { return x < 4 ? 0xFFFFFFFFu : 0xFF00FFFFu; }));
    Sprite s;
    s.SetImage(&picture);  // centre (4, 2)
    s.SetScale(3, 2);      // 24 x 8, turning about (12, 4)
    s.SetPosition(300, 200);
    s.rotation = D3DX_PI / 2;
    s.SetColour(0xFFFF8040);
    ASSERT_EQ(BeginFrame(kBackground), 1);
    s.Draw();
    std::vector<uint32_t> pixels = ReadBack("sprite_scaled_turned");
    EndFrame();
    // About (312, 204): x 308..315, y 192..215; the image's left half on top.
    EXPECT_EQ(At(pixels, 308, 192), 0xFFFF8040u);
    EXPECT_EQ(At(pixels, 315, 203), 0xFFFF8040u);
    EXPECT_EQ(At(pixels, 308, 204), 0xFF008040u);
    EXPECT_EQ(At(pixels, 315, 215), 0xFF008040u);
    for (auto [x, y] : {std::pair{307, 200}, {316, 200}, {310, 191}, {310, 216}, {300, 200}, {323, 207}})
        EXPECT_EQ(At(pixels, x, y), kBackground) << x << "," << y;
}

TEST_F(SpriteDrawing, InvisibleSpritesAndSpritesWithoutImagesDrawNothing) {
    Sprite hidden, empty;
    hidden.SetImage(&sheet);
    hidden.visible = 0;
    ASSERT_EQ(BeginFrame(kBackground), 1);
    hidden.Draw();
    empty.Draw();
    empty.DrawString("A");
    std::vector<uint32_t> pixels = ReadBack("sprite_nothing");
    EndFrame();
    for (int y = 0; y < 130; y += 7)
        for (int x = 0; x < 130; x += 7) ASSERT_EQ(At(pixels, x, y), kBackground) << x << "," << y;
}

}  // namespace
