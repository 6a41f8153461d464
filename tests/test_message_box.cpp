// Message boxes: the picture of a box with Japanese text, drawn off-screen, and
// real boxes answered through queued SDL key and mouse events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <set>

#include "display_required.h"
#include "d3d8/d3d8_test_hooks.h"
#include "gdi/cp932_text.h"
#include "win32/message_box_layout.h"
#include "win32/message_box_window.h"
#include "win32/sdl_bridge.h"

using namespace nol::win32;

namespace {

const char kAlreadyRunning[] = "このプログラムは既に起動しています.\n";

std::shared_ptr<nol::gdi::GlyphSource> OpenBoxFont() {
    LOGFONTA f{};
    f.lfHeight = 16;
    f.lfWeight = 400;
    std::strncpy(f.lfFaceName, "ＭＳ ゴシック", sizeof f.lfFaceName - 1);
    return nol::gdi::GlyphSource::Open(f);
}

bool IsInk(uint32_t p) { return ((p >> 16) & 0xFF) < 0x80 && ((p >> 8) & 0xFF) < 0x80 && (p & 0xFF) < 0x80; }
bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class BoxPicture : public ::testing::Test {
protected:
    void SetUp() override {
        font = OpenBoxFont();
        ASSERT_NE(font, nullptr) << "no face to draw Japanese text with (fonts-ipafont-gothic)";
    }
    uint32_t At(const msgbox::Layout& l, int x, int y) const { return pixels.at(size_t(y) * l.width + x); }
    // Kept as <name>.png in $NOL_TEST_PNG_DIR when that is set.
    void Keep(const char* name, const msgbox::Layout& l) const {
        if (const char* dir = std::getenv("NOL_TEST_PNG_DIR"))
            NolD3D8WritePng((std::string(dir) + "/" + name + ".png").c_str(), pixels.data(), l.width, l.height);
    }

    std::shared_ptr<nol::gdi::GlyphSource> font;
    std::vector<uint32_t> pixels;
};

// Each character of the text is drawn with its own glyph, on one line, in order:
// the pixels the glyph covers are dark where the layout puts it, and no two
// characters share a glyph (a box of tofu or of mojibake would fail both).
TEST_F(BoxPicture, AJapaneseTextShowsItsOwnGlyphs) {
    const msgbox::Layout layout = msgbox::LayOut(*font, kAlreadyRunning, MB_OK);
    msgbox::Paint(*font, layout, kAlreadyRunning, {}, &pixels);
    Keep("message_box_ok", layout);
    ASSERT_EQ(pixels.size(), size_t(layout.width) * size_t(layout.height));
    EXPECT_EQ(layout.textRect.bottom - layout.textRect.top, font->CellHeight());  // the final "\n" adds no line

    std::u32string codes;
    nol::gdi::DecodeCp932(kAlreadyRunning, std::strlen(kAlreadyRunning), &codes);
    codes.pop_back();  // the line feed
    ASSERT_EQ(codes.size(), 18u);
    std::set<std::vector<uint8_t>> distinct;
    int pen = layout.textRect.left;
    for (char32_t c : codes) {
        const nol::gdi::Glyph& g = font->Get(c);
        distinct.insert(g.coverage);
        int covered = 0, dark = 0;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.coverage[size_t(y) * g.width + x] > 192) {
                    ++covered;
                    dark += IsInk(At(layout, pen + g.left + x, layout.textRect.top + g.top + y));
                }
        EXPECT_GT(covered, 0) << "U+" << std::hex << int(c) << " has no ink";
        EXPECT_EQ(dark, covered) << "U+" << std::hex << int(c);
        pen += g.advance;
    }
    EXPECT_EQ(distinct.size(), codes.size());
    EXPECT_LE(pen, layout.textRect.right);
}

// Dark pixels only in the text and on the buttons; the button has its frame.
TEST_F(BoxPicture, InkStaysInTheTextAreaAndTheButtonsAreDrawn) {
    const msgbox::Layout layout = msgbox::LayOut(*font, kAlreadyRunning, MB_YESNO);
    ASSERT_EQ(layout.buttons.size(), 2u);
    EXPECT_EQ(layout.buttons[0].answer, IDYES);
    EXPECT_EQ(layout.buttons[1].answer, IDNO);
    EXPECT_EQ(layout.escapeAnswer, IDNO);
    msgbox::Paint(*font, layout, kAlreadyRunning, {}, &pixels);
    Keep("message_box_yesno", layout);
    int inkInButtons[2] = {0, 0};
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) {
            if (!IsInk(At(layout, x, y))) continue;
            const int b = msgbox::ButtonAt(layout, x, y);
            if (b >= 0) ++inkInButtons[b];
            ASSERT_TRUE(b >= 0 || Inside(layout.textRect, x, y)) << "ink at " << x << "," << y;
        }
    EXPECT_GT(inkInButtons[0], 10);
    EXPECT_GT(inkInButtons[1], 10);
    const RECT& yes = layout.buttons[0].rect;
    const RECT& no = layout.buttons[1].rect;
    EXPECT_LE(yes.right, no.left);
    const uint32_t face = At(layout, 1, 1);
    EXPECT_NE(At(layout, yes.left, yes.top + 5), face);  // the focused button's frame
    EXPECT_NE(At(layout, no.left, no.top + 5), face);
    EXPECT_NE(At(layout, yes.left, yes.top + 5), At(layout, no.left, no.top + 5));
}

TEST_F(BoxPicture, LinesBreakAtLineFeedsAndAtTheWidestBox) {
    const char twoLines[] = "一行目\n二行目です";
    const msgbox::Layout two = msgbox::LayOut(*font, twoLines, MB_OK | MB_ICONQUESTION);
    EXPECT_EQ(two.textRect.bottom - two.textRect.top, 2 * font->CellHeight());
    EXPECT_LE(two.iconRect.right, two.textRect.left);
    msgbox::Paint(*font, two, twoLines, {}, &pixels);
    Keep("message_box_two_lines", two);
    int inkPerLine[2] = {0, 0};
    for (int y = two.textRect.top; y < two.textRect.bottom; ++y)
        for (int x = two.textRect.left; x < two.textRect.right; ++x)
            inkPerLine[(y - two.textRect.top) / font->CellHeight()] += IsInk(At(two, x, y));
    EXPECT_GT(inkPerLine[0], 20);
    EXPECT_GT(inkPerLine[1], 20);

    // A long text wraps, and an endless one is cut: the box stays on a screen.
    std::string longText;
    for (int i = 0; i < 20000; ++i) longText += "あ";
    const msgbox::Layout tall = msgbox::LayOut(*font, longText.c_str(), MB_OKCANCEL);
    EXPECT_LE(tall.width, 560);
    EXPECT_LE(tall.height, 680);
    EXPECT_GT(tall.textRect.bottom - tall.textRect.top, 20 * font->CellHeight());
    msgbox::Paint(*font, tall, longText.c_str(), {}, &pixels);
    EXPECT_EQ(pixels.size(), size_t(tall.width) * size_t(tall.height));
}

// ---- real boxes ----------------------------------------------------------------------

// The events each box is sent once it is up: a function of its window id and layout.
using Script = std::function<void(Uint32 id, const msgbox::Layout&)>;

void RunScript(Uint32 id, const msgbox::Layout& layout, void* context) {
    (*static_cast<Script*>(context))(id, layout);
}

void Key(Uint32 window, SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

void Mouse(Uint32 window, Uint32 type, const RECT& r) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = window;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = (r.left + r.right) / 2;
    e.button.y = (r.top + r.bottom) / 2;
    SDL_PushEvent(&e);
}

class RealBox : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        unsetenv("NOL_AUTO_MESSAGEBOX");
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { NolSetMessageBoxShownHook(nullptr, nullptr); }

    int Show(UINT type, Script script) {
        shown = 0;
        Script counted = [&, script](Uint32 id, const msgbox::Layout& l) {
            ++shown;
            script(id, l);
        };
        NolSetMessageBoxShownHook(RunScript, &counted);
        const int answer = ShowMessageBoxWindow(nullptr, kAlreadyRunning, "エラー", type);
        NolSetMessageBoxShownHook(nullptr, nullptr);
        EXPECT_EQ(shown, 1);
        return answer;
    }
    int shown = 0;
};

TEST_F(RealBox, KeysAnswer) {
    EXPECT_EQ(Show(MB_YESNO, [](Uint32 id, const msgbox::Layout&) { Key(id, SDLK_RETURN); }), IDYES);
    EXPECT_EQ(Show(MB_YESNO, [](Uint32 id, const msgbox::Layout&) { Key(id, SDLK_ESCAPE); }), IDNO);
    EXPECT_EQ(Show(MB_YESNO, [](Uint32 id, const msgbox::Layout&) { Key(id, SDLK_n); }), IDNO);
    EXPECT_EQ(Show(MB_OKCANCEL, [](Uint32 id, const msgbox::Layout&) { Key(id, SDLK_ESCAPE); }), IDCANCEL);
    EXPECT_EQ(Show(MB_OK, [](Uint32 id, const msgbox::Layout&) { Key(id, SDLK_ESCAPE); }), IDOK);
    // The focus moves on, and Return presses the button that has it.
    EXPECT_EQ(Show(MB_OKCANCEL,
                   [](Uint32 id, const msgbox::Layout&) {
                       Key(id, SDLK_TAB);
                       Key(id, SDLK_RETURN);
                   }),
              IDCANCEL);
}

TEST_F(RealBox, AClickIsAPressAndAReleaseOnTheSameButton) {
    EXPECT_EQ(Show(MB_YESNO,
                   [](Uint32 id, const msgbox::Layout& l) {
                       Mouse(id, SDL_MOUSEBUTTONDOWN, l.buttons[1].rect);
                       Mouse(id, SDL_MOUSEBUTTONUP, l.buttons[1].rect);
                   }),
              IDNO);
    // Pressed on one and let go on the other: nothing, until Return.
    EXPECT_EQ(Show(MB_YESNO,
                   [](Uint32 id, const msgbox::Layout& l) {
                       Mouse(id, SDL_MOUSEBUTTONDOWN, l.buttons[1].rect);
                       Mouse(id, SDL_MOUSEBUTTONUP, l.buttons[0].rect);
                       Mouse(id + 1000, SDL_MOUSEBUTTONDOWN, l.buttons[0].rect);  // another window's
                       Mouse(id + 1000, SDL_MOUSEBUTTONUP, l.buttons[0].rect);
                       Key(id, SDLK_RETURN);
                   }),
              IDNO);  // the press gave "no" the focus
}

// While the box is up, nothing else gets keys or the mouse; other events, and a
// request to quit (which also closes the box), wait for after it.
TEST_F(RealBox, TheBoxTakesAllInputAndKeepsOtherEventsForLater) {
    const Uint32 userEvent = SDL_RegisterEvents(1);
    EXPECT_EQ(Show(MB_YESNO,
                   [userEvent](Uint32 id, const msgbox::Layout& l) {
                       Key(id + 1000, SDLK_x);
                       Mouse(id + 1000, SDL_MOUSEBUTTONDOWN, l.buttons[0].rect);
                       SDL_Event user{};
                       user.type = userEvent;
                       SDL_PushEvent(&user);
                       SDL_Event quit{};
                       quit.type = SDL_QUIT;
                       SDL_PushEvent(&quit);
                   }),
              IDNO);
    SDL_PumpEvents();
    EXPECT_FALSE(SDL_HasEvent(SDL_KEYDOWN));
    EXPECT_FALSE(SDL_HasEvent(SDL_MOUSEBUTTONDOWN));
    EXPECT_TRUE(SDL_HasEvent(userEvent));
    EXPECT_TRUE(SDL_HasEvent(SDL_QUIT));
}

}  // namespace
