// The shared font on the real device: where strings land, how they are cut, what
// they leave of the device's state, and text rendered into textures.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "gdi/cp932_text.h"
#include "gdi/glyph_source.h"
#include "render/frame.h"
#include "render/text.h"
#include "render/texture.h"
#include "recording_font.h"
#include "render_fixture.h"
#include "win32/log_sink.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000;

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // right, bottom exclusive
    bool Empty() const { return right < left; }
};

class TextRender : public FrameworkDevice {
protected:
    // One frame cleared to black with draw() in it, read back.
    template <typename Draw>
    std::vector<uint32_t> Frame(const char* png, Draw draw) {
        EXPECT_EQ(BeginFrame(kBlack), 1);
        draw();
        std::vector<uint32_t> pixels = ReadBack(png);
        EndFrame();
        return pixels;
    }

    bool Ink(const std::vector<uint32_t>& p, int x, int y) const { return (At(p, x, y) & 0xFFFFFF) != 0; }

    // Bounding box of every non-black pixel inside [x0, x1) × [y0, y1).
    Box InkBox(const std::vector<uint32_t>& p, int x0 = 0, int y0 = 0, int x1 = 640, int y1 = 480) const {
        Box b;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (Ink(p, x, y)) {
                    b.left = std::min(b.left, x), b.right = std::max(b.right, x + 1);
                    b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y + 1);
                }
        return b;
    }

    int DrawRect(const char* text, RECT rect, DWORD format, int count = -1) {
        return GraphicsState.font->DrawTextA(text, count, &rect, format, 0xFFFFFFFF);
    }
};

TEST_F(TextRender, ASelectionLineInksOnlyItsOwnBoxAndLineFeedsStartBelow) {
    ASSERT_NE(GraphicsState.font, nullptr);
    EXPECT_EQ(GraphicsState.fontHeight, 16);
    EXPECT_EQ(GraphicsState.textColour, 0xFFFFFFFFu);

    // The selection screen's text, as the game draws it.
    auto pixels = Frame("text_selection_line", [] {
        BeginText();
        DrawTextAt(160, 300, "Select Corse with cursor key and push Enter");
        DrawTextAt(190, 320, "Course");
        DrawTextFormat(250, 320, "%d\n", 2);
        EndText();
    });
    const Box line = InkBox(pixels, 0, 0, 640, 318);
    EXPECT_GE(line.left, 160);
    EXPECT_LE(line.left, 162);
    EXPECT_GE(line.top, 300);
    EXPECT_LE(line.bottom, 316);
    EXPECT_LE(line.right, 160 + 43 * 8);
    EXPECT_GE(line.right, 160 + 42 * 8);
    const Box course = InkBox(pixels, 0, 318, 640, 480);
    EXPECT_GE(course.left, 190);
    EXPECT_LE(course.right, 258);  // "2" ends the second line, one cell wide
    EXPECT_GE(course.right, 250);
    EXPECT_LE(course.bottom, 336);

    // The race display: a line every 18 pixels, numbers beside their labels.
    pixels = Frame("text_race_display", [] {
        BeginText();
        DrawTextAt(0, 0, "Tota Frame");
        DrawTextFormat(100, 0, "%d\n", 1234);
        for (int i = 1; i <= 3; ++i) {
            DrawTextAt(0, 18 * i, "Lap");
            DrawTextFormat(40, 18 * i, "%d\n", i);
            DrawTextFormat(50, 18 * i, "%d\n", 400 + i);
        }
        EndText();
    });
    for (int i = 0; i <= 3; ++i) {
        const Box row = InkBox(pixels, 0, 18 * i, 640, 18 * i + 18);
        EXPECT_GE(row.top, 18 * i) << i;
        EXPECT_LE(row.bottom, 18 * i + 16) << i;
        EXPECT_LE(row.right, i == 0 ? 132 : 74) << i;
    }
    EXPECT_TRUE(InkBox(pixels, 0, 72, 640, 480).Empty());

    // "\n": the second line at the same x, one cell (16 pixels) lower.
    pixels = Frame("text_line_feed", [] { DrawTextAt(100, 100, "I\nI"); });
    const Box first = InkBox(pixels, 0, 0, 640, 116), second = InkBox(pixels, 0, 116, 640, 480);
    ASSERT_FALSE(first.Empty());
    ASSERT_FALSE(second.Empty());
    EXPECT_EQ(second.left, first.left);
    EXPECT_EQ(second.right, first.right);
    EXPECT_EQ(second.top, first.top + 16);
    EXPECT_EQ(second.bottom, first.bottom + 16);
}

TEST_F(TextRender, GlyphsLandTexelForTexelOnTheirPixels) {
    LOGFONT lf{};
    ASSERT_EQ(GraphicsState.font->GetLogFont(&lf), D3D_OK);
    NolSetLogSink([](const char*) {});
    auto source = nol::gdi::GlyphSource::Open(lf);
    NolSetLogSink(nullptr);
    ASSERT_NE(source, nullptr);
    const nol::gdi::Glyph& kan = source->Get(U'漢');
    ASSERT_GT(kan.width, 4);

    auto pixels = Frame("text_texel_exact", [] { DrawTextAt(50, 60, "漢"); });
    // Red equals the glyph's coverage at every pixel (white over black): no blur,
    // no shift by half a pixel.
    for (int y = 0; y < kan.height; ++y)
        for (int x = 0; x < kan.width; ++x) {
            const int got = int((At(pixels, 50 + kan.left + x, 60 + kan.top + y) >> 16) & 0xFF);
            EXPECT_NEAR(got, kan.coverage[size_t(y * kan.width + x)], 2) << x << "," << y;
        }
    const Box box = InkBox(pixels);
    EXPECT_GE(box.left, 50 + kan.left);
    EXPECT_LE(box.right, 50 + kan.left + kan.width);
}

// n distinct kanji of CP932's first level, from the k-th on.
std::string Kanji(int k, int n) {
    std::string out;
    for (int i = k; i < k + n; ++i) {
        int trail = 0x40 + i % 188;
        if (trail >= 0x7F) ++trail;  // 0x7F is never a trail byte
        int lead = 0x89 + i / 188;
        if (lead > 0x9F) lead += 0x40;  // 0xA0-0xDF are single bytes
        out += char(lead);
        out += char(trail);
    }
    return out;
}

TEST_F(TextRender, TheAtlasAddsPagesAndStartsOverWhenFull) {
    NolSetLogSink([](const char*) {});
    LOGFONT lf{};
    GraphicsState.font->GetLogFont(&lf);
    auto source = nol::gdi::GlyphSource::Open(lf);
    NolSetLogSink(nullptr);
    ASSERT_NE(source, nullptr);
    auto expectGlyph = [&](const std::vector<uint32_t>& pixels, const std::string& sjis, int x0, int y0) {
        size_t pos = 0;
        char32_t code = nol::gdi::NextCp932(sjis.data(), sjis.size(), &pos);
        const nol::gdi::Glyph& g = source->Get(code);
        int wrong = 0;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const int got = int((At(pixels, x0 + g.left + x, y0 + g.top + y) >> 16) & 0xFF);
                wrong += std::abs(got - g.coverage[size_t(y * g.width + x)]) > 2;
            }
        EXPECT_EQ(wrong, 0) << sjis;
    };

    // 320 new glyphs in one string: more than one page holds.
    const std::string many = Kanji(0, 320);
    auto pixels = Frame("text_atlas_pages", [&] { DrawRect(many.c_str(), {0, 0, 640, 480}, DT_WORDBREAK); });
    expectGlyph(pixels, many.substr(0, 2), 0, 0);
    expectGlyph(pixels, many.substr(319 * 2, 2), 16 * (319 % 40), 16 * (319 / 40));

    // Thousands more fill every page; the atlas starts over and still draws right.
    EXPECT_EQ(BeginFrame(kBlack), 1);
    for (int k = 320; k < 5000; k += 400) DrawRect(Kanji(k, 400).c_str(), {0, 0, 640, 480}, DT_WORDBREAK);
    EndFrame();
    const std::string late = Kanji(4990, 10) + Kanji(0, 1);
    pixels = Frame("text_atlas_again", [&] { DrawRect(late.c_str(), {0, 0, 640, 480}, 0); });
    expectGlyph(pixels, late.substr(0, 2), 0, 0);
    expectGlyph(pixels, late.substr(20, 2), 160, 0);
}

TEST_F(TextRender, GlyphsSurviveALostDeviceAndItsReset) {
    auto first = Frame("text_before_reset", [] { DrawTextAt(50, 60, "漢字 Lap 12"); });
    ASSERT_FALSE(InkBox(first).Empty());

    IDirect3DDevice8* d = GraphicsState.device;
    ASSERT_TRUE(NolD3D8SetDeviceCondition(d, NOL_D3D_LOST));
    ID3DXFont* font = GraphicsState.font;
    ASSERT_EQ(d->BeginScene(), D3D_OK);
    font->Begin();
    DWORD zenable = 0;
    d->GetRenderState(D3DRS_ZENABLE, &zenable);
    EXPECT_EQ(zenable, DWORD(FALSE));
    EXPECT_EQ(font->OnLostDevice(), D3D_OK);  // ends the drawing it interrupts
    d->GetRenderState(D3DRS_ZENABLE, &zenable);
    EXPECT_EQ(zenable, DWORD(TRUE));
    EXPECT_NE(font->End(), D3D_OK);
    RECT r{0, 0, 640, 480};
    EXPECT_EQ(font->DrawTextA("while lost", -1, &r, 0, 0xFFFFFFFF), 16);  // nothing to see, no harm
    d->EndScene();

    ASSERT_TRUE(NolD3D8SetDeviceCondition(d, NOL_D3D_NOTRESET));
    ASSERT_EQ(d->Reset(&GraphicsState.presentParams), D3D_OK);
    EXPECT_EQ(font->OnResetDevice(), D3D_OK);
    auto second = Frame("text_after_reset", [] { DrawTextAt(50, 60, "漢字 Lap 12"); });
    EXPECT_EQ(first, second);
}

TEST_F(TextRender, ALargeBoldFontDrawsItsGlyphsWhole) {
    LOGFONT lf{};
    lf.lfHeight = 200;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    std::strcpy(lf.lfFaceName, "ＭＳ ゴシック");
    ID3DXFont* big = nullptr;
    NolSetLogSink([](const char*) {});
    ASSERT_EQ(D3DXCreateFontIndirect(GraphicsState.device, &lf, &big), D3D_OK);
    auto source = nol::gdi::GlyphSource::Open(lf);
    NolSetLogSink(nullptr);
    ASSERT_NE(source, nullptr);
    auto pixels = Frame("text_large_bold", [&] {
        RECT r{20, 100, 640, 480};
        EXPECT_EQ(big->DrawTextA("A漢", -1, &r, DT_NOPREFIX, 0xFFFFFFFF), 200);
    });
    const nol::gdi::Glyph& a = source->Get(U'A');
    const nol::gdi::Glyph& kan = source->Get(U'漢');
    int wrong = 0;
    for (auto [g, x0] : {std::pair{&a, 20}, {&kan, 20 + a.advance}})
        for (int y = 0; y < g->height; ++y)
            for (int x = 0; x < g->width; ++x) {
                const int got = int((At(pixels, x0 + g->left + x, 100 + g->top + y) >> 16) & 0xFF);
                wrong += std::abs(got - g->coverage[size_t(y * g->width + x)]) > 2;
            }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(kan.width, 150);
    big->Release();
}

TEST_F(TextRender, TextIsCutPixelExactlyAtTheRectangleAndTheScreenEdge) {
    auto pixels = Frame("text_cut_at_640", [] { DrawTextAt(600, 10, "MMMMMMMMMM"); });
    const Box edge = InkBox(pixels);
    EXPECT_GE(edge.left, 600);
    EXPECT_EQ(edge.right, 640);  // the fifth M reaches the edge and the sixth would start there

    // A rectangle 5 pixels wide shows part of the first glyph, not all or nothing.
    pixels = Frame("text_cut_at_rect", [this] { DrawRect("MMMM", {100, 100, 105, 110}, DT_NOPREFIX); });
    const Box cut = InkBox(pixels);
    ASSERT_FALSE(cut.Empty());
    EXPECT_GE(cut.left, 100);
    EXPECT_EQ(cut.right, 105);
    EXPECT_EQ(cut.bottom, 110);
    // DT_NOCLIP lets it run on.
    pixels = Frame("text_no_clip", [this] { DrawRect("MMMM", {100, 100, 105, 110}, DT_NOCLIP); });
    EXPECT_GT(InkBox(pixels).right, 120);
}

TEST_F(TextRender, TabsJapaneseAndPrefixes) {
    auto pixels = Frame("text_tab", [] { DrawTextAt(0, 0, "I\tI"); });
    const Box before = InkBox(pixels, 0, 0, 32, 20), after = InkBox(pixels, 32, 0, 640, 20);
    ASSERT_FALSE(after.Empty());
    EXPECT_EQ(after.left - before.left, 64);  // eight average widths of 8 pixels

    // Four different characters: four different pictures, none empty.
    pixels = Frame("text_japanese", [] { DrawTextAt(100, 200, "漢字かなカナ"); });
    std::vector<std::vector<uint32_t>> cells;
    for (int c = 0; c < 6; ++c) {
        std::vector<uint32_t> cell;
        for (int y = 200; y < 216; ++y)
            for (int x = 100 + 16 * c; x < 116 + 16 * c; ++x) cell.push_back(At(pixels, x, y));
        EXPECT_FALSE(InkBox(pixels, 100 + 16 * c, 200, 116 + 16 * c, 216).Empty()) << c;
        for (const auto& other : cells) EXPECT_NE(cell, other) << c;
        cells.push_back(cell);
    }

    // "&&" is two ampersands under DT_NOPREFIX, one without it; "&A" underlines A.
    pixels = Frame("text_prefix", [this] {
        DrawRect("&&", {0, 0, 640, 480}, DT_NOPREFIX);
        DrawRect("&&", {0, 40, 640, 480}, 0);
        DrawRect("&I", {0, 80, 640, 480}, 0);
    });
    EXPECT_GT(InkBox(pixels, 0, 0, 640, 20).right, 10);
    EXPECT_LE(InkBox(pixels, 0, 40, 640, 60).right, 8);
    const Box underlined = InkBox(pixels, 0, 80, 640, 100);
    EXPECT_LE(underlined.right, 8);
    int underlineRow = 0;
    for (int y = 80; y < 96; ++y)
        if (Ink(pixels, 0, y) && Ink(pixels, 7, y)) underlineRow = y;
    EXPECT_GT(underlineRow, 90);  // a full-width row below the letter's baseline
}

TEST_F(TextRender, AlignmentWrappingAndMeasuring) {
    const RECT box{100, 100, 300, 200};
    int heights[4] = {};
    auto pixels = Frame("text_alignment", [&] {
        heights[0] = DrawRect("II", box, DT_RIGHT);
        heights[1] = DrawRect("II", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        heights[2] = DrawRect("II", box, DT_BOTTOM | DT_SINGLELINE);
        heights[3] = DrawRect("aaaa bbbb cccc", {400, 100, 480, 200}, DT_WORDBREAK);
    });
    EXPECT_EQ(heights[0], 16);
    EXPECT_EQ(heights[1], 58);
    EXPECT_EQ(heights[2], 100);
    EXPECT_EQ(heights[3], 32);
    const Box right = InkBox(pixels, 100, 100, 300, 116);
    EXPECT_GE(right.left, 284);
    EXPECT_LE(right.right, 300);
    const Box centred = InkBox(pixels, 100, 130, 300, 170);
    EXPECT_GE(centred.left, 192);
    EXPECT_LE(centred.right, 208);
    EXPECT_GE(centred.top, 142);
    EXPECT_LE(centred.bottom, 158);
    const Box bottom = InkBox(pixels, 100, 170, 300, 200);
    EXPECT_GE(bottom.top, 184);
    EXPECT_LE(bottom.bottom, 200);
    EXPECT_FALSE(InkBox(pixels, 400, 100, 480, 116).Empty());
    EXPECT_FALSE(InkBox(pixels, 400, 116, 480, 132).Empty());
    EXPECT_GE(InkBox(pixels, 400, 116, 480, 132).left, 400);
    EXPECT_LE(InkBox(pixels, 400, 116, 480, 132).right, 432);

    // Measuring draws nothing; empty text and empty rectangles draw nothing either.
    RECT measured{10, 20, 11, 21};
    int calc = 0, empty = 0, zero = 0;
    pixels = Frame("text_nothing", [&] {
        calc = GraphicsState.font->DrawTextA("ab\tc\n漢字", -1, &measured, DT_CALCRECT | DT_EXPANDTABS, 0xFFFFFFFF);
        empty = DrawRect("", box, 0);
        zero = DrawRect("a\nb", {50, 50, 50, 50}, 0);
    });
    EXPECT_EQ(calc, 32);
    EXPECT_EQ(measured.right, 10 + 72);
    EXPECT_EQ(measured.bottom, 20 + 32);
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(zero, 32);
    EXPECT_TRUE(InkBox(pixels).Empty());
}

TEST_F(TextRender, BrokenShiftJisDrawsWhatItCanWithoutReadingPastTheEnd) {
    // Exact-size heap copies without a terminator: AddressSanitizer sees any overread.
    auto exact = [](const std::string& s) {
        std::unique_ptr<char[]> p(new char[s.size()]);
        std::memcpy(p.get(), s.data(), s.size());
        return p;
    };
    const std::string lone = "AB\x82", cutPair = "\x8A\xBF\x8A";
    auto a = exact(lone), b = exact(cutPair);
    auto pixels = Frame("text_broken_sjis", [&] {
        DrawRect(a.get(), {0, 0, 640, 480}, DT_NOPREFIX, int(lone.size()));
        DrawRect(b.get(), {0, 40, 640, 480}, DT_NOPREFIX, int(cutPair.size()));
        DrawRect("\x82 \x80Z", {0, 80, 640, 480}, DT_NOPREFIX);
    });
    // "A", "B" and a replacement box; "漢" and a box; box, blank, box, "Z". The
    // face's replacement box is full-width.
    EXPECT_FALSE(InkBox(pixels, 16, 0, 32, 16).Empty());
    EXPECT_FALSE(InkBox(pixels, 0, 40, 16, 56).Empty());
    EXPECT_FALSE(InkBox(pixels, 16, 40, 32, 56).Empty());
    EXPECT_TRUE(InkBox(pixels, 16, 80, 24, 96).Empty());
    EXPECT_FALSE(InkBox(pixels, 24, 80, 40, 96).Empty());
    EXPECT_FALSE(InkBox(pixels, 40, 80, 48, 96).Empty());
    EXPECT_TRUE(InkBox(pixels, 48, 0, 640, 480).Empty());
}

// Everything the font touches, read from the device.
struct DeviceState {
    DWORD render[7];
    DWORD stage[2][6];
    IDirect3DBaseTexture8* texture;
    DWORD shader;
    IDirect3DVertexBuffer8* stream;
    UINT stride;

    static DeviceState Read(IDirect3DDevice8* d) {
        static const D3DRENDERSTATETYPE kRender[] = {D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ALPHABLENDENABLE,
                                                     D3DRS_SRCBLEND, D3DRS_ALPHATESTENABLE, D3DRS_CULLMODE,
                                                     D3DRS_LIGHTING};
        static const D3DTEXTURESTAGESTATETYPE kStage[] = {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_ALPHAOP,
                                                          D3DTSS_MAGFILTER, D3DTSS_ADDRESSU, D3DTSS_MINFILTER};
        DeviceState s{};
        for (int i = 0; i < 7; ++i) d->GetRenderState(kRender[i], &s.render[i]);
        for (int st = 0; st < 2; ++st)
            for (int i = 0; i < 6; ++i) d->GetTextureStageState(st, kStage[i], &s.stage[st][i]);
        d->GetTexture(0, &s.texture);
        d->GetVertexShader(&s.shader);
        d->GetStreamSource(0, &s.stream, &s.stride);
        if (s.texture) s.texture->Release();  // kept only to compare pointers
        if (s.stream) s.stream->Release();
        return s;
    }
    bool operator==(const DeviceState& o) const {
        return std::memcmp(render, o.render, sizeof render) == 0 && std::memcmp(stage, o.stage, sizeof stage) == 0 &&
               texture == o.texture && shader == o.shader && stream == o.stream && stride == o.stride;
    }
};

TEST_F(TextRender, EndLeavesTheDeviceAsBeginFoundIt) {
    IDirect3DDevice8* d = GraphicsState.device;
    IDirect3DTexture8* texture = nullptr;
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(d->CreateVertexBuffer(256, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &vb), D3D_OK);
    d->SetTexture(0, texture);
    d->SetStreamSource(0, vb, 12);
    d->SetVertexShader(D3DFVF_XYZ);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    const DeviceState before = DeviceState::Read(d);

    ASSERT_EQ(BeginFrame(kBlack), 1);
    BeginText();
    EXPECT_FALSE(DeviceState::Read(d) == before);  // the font's own state is in place
    DrawTextAt(10, 10, "state & more");
    EndText();
    EXPECT_TRUE(DeviceState::Read(d) == before);
    // A draw outside Begin and End puts things back by itself.
    DrawTextAt(10, 40, "again\tand 漢字");
    EXPECT_TRUE(DeviceState::Read(d) == before);
    // End without Begin changes nothing.
    EXPECT_NE(GraphicsState.font->End(), D3D_OK);
    EXPECT_TRUE(DeviceState::Read(d) == before);
    EndFrame();

    d->SetTexture(0, nullptr);
    d->SetStreamSource(0, nullptr, 0);
    texture->Release();
    vb->Release();
}

TEST_F(TextRender, WithoutAFontTextCallsDoNothing) {
    FreeFont();
    FreeFont();
    EXPECT_EQ(GraphicsState.font, nullptr);
    auto pixels = Frame("text_no_font", [] {
        BeginText();
        DrawTextAt(10, 10, "nothing");
        DrawTextFormat(10, 30, "%d", 5);
        EndText();
    });
    EXPECT_TRUE(InkBox(pixels).Empty());
}

TEST_F(TextRender, DrawTextFormatCutsALongResultAtItsBuffer) {
    RecordingFont recorder;
    ID3DXFont* real = GraphicsState.font;
    GraphicsState.font = &recorder;
    GraphicsState.textColour = 0xFF112233;
    DrawTextFormat(5, 6, "%d\n", 42);
    EXPECT_EQ(recorder.text, "42\n");
    EXPECT_EQ(recorder.count, -1);
    EXPECT_EQ(recorder.rect.left, 5);
    EXPECT_EQ(recorder.rect.top, 6);
    EXPECT_EQ(recorder.rect.right, 640);
    EXPECT_EQ(recorder.rect.bottom, 480);
    EXPECT_EQ(recorder.format, DWORD(DT_NOPREFIX | DT_EXPANDTABS));
    EXPECT_EQ(recorder.colour, 0xFF112233u);

    const std::string longText(5000, 'x');
    DrawTextFormat(0, 0, "<%s>", longText.c_str());
    EXPECT_EQ(recorder.text.size(), 2399u);
    EXPECT_EQ(recorder.text.substr(0, 2), "<x");
    GraphicsState.font = real;
}

TEST_F(TextRender, CreateFromTextMakesAOneBitMaskInTheColour) {
    Texture t;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(t.CreateFromText("Test 漢", 16, 0x80FF0000, 400, "ＭＳ ゴシック"));
    EXPECT_EQ(t.name, "text");
    EXPECT_EQ(t.desc.Format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(t.desc.Width, 56u);  // five half-width cells and a full-width one
    EXPECT_EQ(t.desc.Height, 16u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(t.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    int ink = 0, other = 0;
    for (UINT y = 0; y < t.desc.Height; ++y)
        for (UINT x = 0; x < t.desc.Width; ++x) {
            const uint16_t v = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                 y * UINT(locked.Pitch))[x];
            ink += v == 0x8F00;
            other += v != 0x8F00 && v != 0;
        }
    t.texture->UnlockRect(0);
    EXPECT_GT(ink, 60);
    EXPECT_EQ(other, 0);
    t.Release();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("release(text)"), std::string::npos);
    testing::internal::CaptureStderr();

    // Wider than the largest texture: cut at that width, still one line high.
    GraphicsState.maxTextureWidth = 24;
    ASSERT_TRUE(t.CreateFromText("ABCDEFGH", 16, 0xFFFFFFFF, 400, "ＭＳ ゴシック"));
    EXPECT_EQ(t.desc.Width, 24u);
    EXPECT_EQ(t.desc.Height, 16u);
    Texture full;
    GraphicsState.maxTextureWidth = 4096;
    ASSERT_TRUE(full.CreateFromText("ABCDEFGH", 16, 0xFFFFFFFF, 400, "ＭＳ ゴシック"));
    D3DLOCKED_RECT a{}, b{};
    ASSERT_EQ(t.texture->LockRect(0, &a, nullptr, D3DLOCK_READONLY), D3D_OK);
    ASSERT_EQ(full.texture->LockRect(0, &b, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 16; ++y)
        EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(a.pBits) + y * a.Pitch, static_cast<uint8_t*>(b.pBits) + y * b.Pitch,
                              24 * 2),
                  0)
            << "row " << y;
    t.texture->UnlockRect(0);
    full.texture->UnlockRect(0);

    // Nothing to draw: no texture.
    EXPECT_FALSE(t.CreateFromText("", 16, 0xFFFFFFFF, 400, "ＭＳ ゴシック"));
    EXPECT_EQ(t.texture, nullptr);
    testing::internal::GetCapturedStderr();
}

}  // namespace
