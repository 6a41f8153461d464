// GDI text into DIB sections: the same measurements as the D3DX font, pixels in
// the text colour, and handles that cannot be misused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "d3dx8/d3dx8core.h"
#include "gdi/wingdi.h"
#include "render_fixture.h"
#include "win32/log_sink.h"

namespace {

class GdiText : public ::testing::Test {
protected:
    void SetUp() override {
        NolSetLogSink([](const char*) {});
        dc = CreateCompatibleDC(nullptr);
        font = CreateFontA(16, 0, 0, 0, 400, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
        ASSERT_NE(dc, nullptr);
        ASSERT_NE(font, nullptr);
        SelectObject(dc, font);
    }
    void TearDown() override {
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(dc);
        DeleteObject(font);
        NolSetLogSink(nullptr);
    }

    uint32_t* MakeBitmap(int w, int h, bool topDown = true) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, topDown ? -h : h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
        return static_cast<uint32_t*>(bits);
    }

    HDC dc = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
};

TEST_F(GdiText, DrawsInTheTextColourInsideItsRectangle) {
    uint32_t* pixels = MakeBitmap(64, 32);
    ASSERT_NE(pixels, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 128, 0));
    RECT rect{8, 8, 28, 32};
    EXPECT_EQ(DrawTextA(dc, "MMMM", -1, &rect, DT_NOPREFIX), 16);
    int full = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t p = pixels[y * 64 + x];
            if (!p) continue;
            EXPECT_TRUE(x >= 8 && x < 28 && y >= 8 && y < 24) << x << "," << y;  // cut at the rectangle
            EXPECT_EQ(p >> 24, 0u);
            full += p == 0x00FF8000;
        }
    EXPECT_GT(full, 5);  // solid stems carry the exact colour, 0x00RRGGBB

    // Bottom-up sections hold the same picture with its rows in reverse order.
    std::vector<uint32_t> topDown(pixels, pixels + 64 * 32);
    DeleteObject(bitmap);
    uint32_t* up = MakeBitmap(64, 32, false);
    ASSERT_NE(up, nullptr);
    rect = {8, 8, 28, 32};
    DrawTextA(dc, "MMMM", -1, &rect, DT_NOPREFIX);
    for (int y = 0; y < 32; ++y)
        EXPECT_EQ(std::memcmp(&up[(31 - y) * 64], &topDown[size_t(y) * 64], 64 * 4), 0) << "row " << y;
}

TEST_F(GdiText, OpaqueModePaintsWhiteBehindEachLine) {
    uint32_t* pixels = MakeBitmap(64, 48);
    ASSERT_NE(pixels, nullptr);
    RECT rect{4, 4, 64, 48};
    DrawTextA(dc, "ab\nc", -1, &rect, 0);  // a new context: OPAQUE, black text
    int white = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inLine = (y >= 4 && y < 20 && x >= 4 && x < 20) || (y >= 20 && y < 36 && x >= 4 && x < 12);
            const uint32_t p = pixels[y * 64 + x];
            if (!inLine) {
                EXPECT_EQ(p, 0u) << x << "," << y;
            }
            white += inLine && p == 0x00FFFFFF;
        }
    EXPECT_GT(white, (16 * 16 + 8 * 16) / 2);
    EXPECT_LT(white, 16 * 16 + 8 * 16);  // the letters are black on it
}

TEST_F(GdiText, HandlesAndSectionSizesAreChecked) {
    int dummy = 0;
    EXPECT_FALSE(DeleteObject(&dummy));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(&dummy)));
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(&dummy), font), nullptr);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(DrawTextA(reinterpret_cast<HDC>(&dummy), "a", -1, &r, 0), 0);

    // A deleted font leaves the context that selected it with no font, not a dangling one.
    HFONT other = CreateFontA(20, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
    EXPECT_EQ(SelectObject(dc, other), font);
    EXPECT_TRUE(DeleteObject(other));
    EXPECT_FALSE(DeleteObject(other));
    RECT calc{0, 0, 1, 1};
    EXPECT_EQ(DrawTextA(dc, "a", -1, &calc, DT_CALCRECT), 16);  // the default font
    SelectObject(dc, font);

    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {16385, 1}, {1, 16385}, {0x7FFFFFFF, -0x7FFFFFFF}}) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = &dummy;
        EXPECT_EQ(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << w << "x" << h;
        EXPECT_EQ(bits, nullptr);
    }
    BITMAPINFO wrongDepth{};
    wrongDepth.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(CreateDIBSection(dc, &wrongDepth, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(SetMapMode(dc, 2), 0);  // only MM_TEXT
    EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
}

class GdiAndD3dx : public FrameworkDevice {};

TEST_F(GdiAndD3dx, BothMeasureAndShareFacesAlike) {
    NolSetLogSink([](const char*) {});
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(16, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
    SelectObject(dc, font);
    for (const char* text : {"Tota Frame", "Lap\t12\n345", "漢字とｶﾀｶﾅ\r\nmixed", "&&x&y", "\x82"}) {
        for (UINT format : {UINT(DT_NOPREFIX | DT_CALCRECT | DT_EXPANDTABS), UINT(DT_CALCRECT)}) {
            RECT gdi{0, 0, 1, 1}, d3dx{0, 0, 1, 1};
            const int hg = DrawTextA(dc, text, -1, &gdi, format);
            const int hd = GraphicsState.font->DrawTextA(text, -1, &d3dx, format, 0xFFFFFFFF);
            EXPECT_EQ(hg, hd) << text;
            EXPECT_EQ(gdi.right, d3dx.right) << text;
            EXPECT_EQ(gdi.bottom, d3dx.bottom) << text;
            EXPECT_GT(gdi.right, 0) << text;
        }
    }

    // A D3DX font made from the GDI font has its LOGFONT.
    ID3DXFont* fromGdi = nullptr;
    ASSERT_EQ(D3DXCreateFont(GraphicsState.device, font, &fromGdi), D3D_OK);
    LOGFONT lf{};
    ASSERT_EQ(fromGdi->GetLogFont(&lf), D3D_OK);
    EXPECT_EQ(lf.lfHeight, 16);
    EXPECT_STREQ(lf.lfFaceName, "ＭＳ ゴシック");
    ID3DXFont* same = nullptr;
    EXPECT_EQ(fromGdi->QueryInterface(IID_ID3DXFont, reinterpret_cast<void**>(&same)), S_OK);
    EXPECT_EQ(same, fromGdi);
    same->Release();
    EXPECT_EQ(fromGdi->Release(), 0u);

    ID3DXFont* none = reinterpret_cast<ID3DXFont*>(&lf);
    EXPECT_EQ(D3DXCreateFont(GraphicsState.device, reinterpret_cast<HFONT>(&lf), &none), D3DERR_INVALIDCALL);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(D3DXCreateFontIndirect(GraphicsState.device, nullptr, &none), D3DERR_INVALIDCALL);

    DeleteDC(dc);
    DeleteObject(font);
    NolSetLogSink(nullptr);
}

}  // namespace
