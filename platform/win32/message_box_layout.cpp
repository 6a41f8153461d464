// Laying out and drawing a message box into a pixel buffer.
#include "win32/message_box_layout.h"

#include <algorithm>
#include <cmath>

#include "gdi/text_layout.h"

namespace nol::win32::msgbox {

namespace {

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 480;
constexpr int kMaxTextHeight = 560;
constexpr int kMinTextWidth = 160;
constexpr int kButtonHeight = 26;
constexpr int kButtonMinWidth = 88;
constexpr int kButtonPadding = 24;
constexpr int kButtonGap = 8;
constexpr int kButtonAreaGap = 18;

constexpr uint32_t kFace = 0xFFF0F0F0;
constexpr uint32_t kInk = 0xFF000000;
constexpr uint32_t kButtonFace = 0xFFE1E1E1;
constexpr uint32_t kButtonPressed = 0xFFCCE4F7;
constexpr uint32_t kButtonBorder = 0xFFADADAD;
constexpr uint32_t kFocusBorder = 0xFF0078D7;

constexpr unsigned kTextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
constexpr unsigned kLabelFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

const char kOk[] = "OK";
const char kCancel[] = "キャンセル";
const char kYes[] = "はい(&Y)";
const char kNo[] = "いいえ(&N)";

UINT IconOf(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONERROR:
        case MB_ICONQUESTION:
        case MB_ICONWARNING:
        case MB_ICONINFORMATION: return type & 0xF0;
        default: return 0;
    }
}

// A pixel buffer with clipping: nothing is ever written outside it.
class Canvas {
public:
    Canvas(int width, int height, std::vector<uint32_t>* pixels) : w_(width), h_(height), p_(*pixels) {
        p_.assign(size_t(width) * size_t(height), kFace);
    }

    void Fill(RECT r, uint32_t colour) {
        r = Clip(r, RECT{0, 0, w_, h_});
        for (LONG y = r.top; y < r.bottom; ++y)
            std::fill(p_.begin() + (size_t(y) * w_ + r.left), p_.begin() + (size_t(y) * w_ + r.right), colour);
    }

    void Frame(const RECT& r, int thickness, uint32_t colour) {
        Fill(RECT{r.left, r.top, r.right, r.top + thickness}, colour);
        Fill(RECT{r.left, r.bottom - thickness, r.right, r.bottom}, colour);
        Fill(RECT{r.left, r.top, r.left + thickness, r.bottom}, colour);
        Fill(RECT{r.right - thickness, r.top, r.right, r.bottom}, colour);
    }

    // A disc of the colour in r, its edge smoothed over one pixel.
    void Disc(const RECT& r, uint32_t colour) {
        const float cx = (r.left + r.right) / 2.0f, cy = (r.top + r.bottom) / 2.0f;
        const float radius = (r.right - r.left) / 2.0f;
        for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, h_); ++y)
            for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, w_); ++x) {
                const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
                const float inside = std::clamp(radius - std::sqrt(dx * dx + dy * dy) + 0.5f, 0.0f, 1.0f);
                Blend(x, y, colour, int(inside * 255.0f + 0.5f));
            }
    }

    // A glyph's coverage blended in the colour, cut at clip.
    void Glyph(const gdi::Glyph& g, int penX, int cellTop, const RECT& clip, uint32_t colour) {
        const RECT area = Clip(clip, RECT{0, 0, w_, h_});
        const int left = penX + g.left, top = cellTop + g.top;
        for (int y = 0; y < g.height; ++y) {
            if (top + y < area.top || top + y >= area.bottom) continue;
            for (int x = 0; x < g.width; ++x)
                if (left + x >= area.left && left + x < area.right)
                    Blend(left + x, top + y, colour, g.coverage[size_t(y) * g.width + x]);
        }
    }

private:
    static RECT Clip(const RECT& r, const RECT& to) {
        RECT c{std::max(r.left, to.left), std::max(r.top, to.top), std::min(r.right, to.right),
               std::min(r.bottom, to.bottom)};
        if (c.right < c.left) c.right = c.left;
        if (c.bottom < c.top) c.bottom = c.top;
        return c;
    }

    void Blend(int x, int y, uint32_t colour, int coverage) {
        if (coverage <= 0) return;
        uint32_t& d = p_[size_t(y) * w_ + x];
        uint32_t out = 0xFF000000u;
        for (int shift : {0, 8, 16}) {
            const int s = (colour >> shift) & 0xFF, t = (d >> shift) & 0xFF;
            out |= uint32_t((s * coverage + t * (255 - coverage) + 127) / 255) << shift;
        }
        d = out;
    }

    int w_, h_;
    std::vector<uint32_t>& p_;
};

void DrawText(Canvas& canvas, gdi::GlyphSource& font, const char* text, RECT rect, unsigned format,
              uint32_t colour) {
    gdi::TextLayout placed;
    gdi::LayoutText(font, text, -1, &rect, format, &placed);
    if (!placed.draw) return;
    const RECT clip = placed.clip ? placed.clipRect : RECT{-100000, -100000, 100000, 100000};
    for (const gdi::PlacedGlyph& p : placed.glyphs) canvas.Glyph(font.Get(p.code), p.x, p.y, clip, colour);
    for (const gdi::Underline& u : placed.underlines) canvas.Fill(RECT{u.x, u.y, u.x + u.width, u.y + 1}, colour);
}

// The icon's colour and the mark drawn on it.
void DrawIcon(Canvas& canvas, gdi::GlyphSource& font, UINT icon, const RECT& r) {
    uint32_t colour = 0xFF1E64C8;
    const char* mark = "i";
    switch (icon) {
        case MB_ICONERROR: colour = 0xFFD02030, mark = "x"; break;
        case MB_ICONQUESTION: colour = 0xFF1E64C8, mark = "?"; break;
        case MB_ICONWARNING: colour = 0xFFE0A000, mark = "!"; break;
        default: break;
    }
    canvas.Disc(r, colour);
    DrawText(canvas, font, mark, r, kLabelFormat | DT_NOPREFIX, 0xFFFFFFFF);
}

}  // namespace

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & 0xF) {
        case MB_OKCANCEL: return {{IDOK, kOk, 0, {}}, {IDCANCEL, kCancel, 0, {}}};
        case MB_YESNO: return {{IDYES, kYes, 'y', {}}, {IDNO, kNo, 'n', {}}};
        default: return {{IDOK, kOk, 0, {}}};
    }
}

int CloseAnswer(UINT type) {
    switch (type & 0xF) {
        case MB_YESNO: return IDNO;
        case MB_OKCANCEL: return IDCANCEL;
        default: return IDOK;
    }
}

bool Offers(UINT type, int answer) {
    for (const Button& b : ButtonsOf(type))
        if (b.answer == answer) return true;
    return false;
}

Layout LayOut(gdi::GlyphSource& font, const char* text, UINT type) {
    Layout layout;
    layout.icon = IconOf(type);
    layout.buttons = ButtonsOf(type);
    layout.escapeAnswer = CloseAnswer(type);

    RECT measured{0, 0, kMaxTextWidth, kMaxTextHeight};
    gdi::TextLayout scratch;
    gdi::LayoutText(font, text ? text : "", -1, &measured, kTextFormat | DT_CALCRECT, &scratch);
    const int textWidth = std::max<int>(measured.right, kMinTextWidth);
    const int textHeight = std::clamp<int>(measured.bottom, font.CellHeight(), kMaxTextHeight);

    const int iconSpace = layout.icon ? kIconSize + kIconGap : 0;
    const int top = kMargin;
    const int bodyHeight = std::max(textHeight, layout.icon ? kIconSize : 0);
    if (layout.icon) layout.iconRect = RECT{kMargin, top, kMargin + kIconSize, top + kIconSize};
    const int textTop = top + (bodyHeight - textHeight) / 2;
    layout.textRect = RECT{kMargin + iconSpace, textTop, kMargin + iconSpace + textWidth, textTop + textHeight};

    int buttonsWidth = 0;
    for (Button& b : layout.buttons) {
        RECT label{0, 0, kMaxTextWidth, kButtonHeight};
        gdi::LayoutText(font, b.label, -1, &label, kLabelFormat | DT_CALCRECT, &scratch);
        b.rect.right = std::max<LONG>(kButtonMinWidth, label.right + kButtonPadding);
        buttonsWidth += b.rect.right + (buttonsWidth ? kButtonGap : 0);
    }
    layout.width = std::max(kMargin + iconSpace + textWidth + kMargin, kMargin + buttonsWidth + kMargin);
    const int buttonTop = top + bodyHeight + kButtonAreaGap;
    layout.height = buttonTop + kButtonHeight + kMargin - 4;
    int x = (layout.width - buttonsWidth) / 2;
    for (Button& b : layout.buttons) {
        const LONG w = b.rect.right;
        b.rect = RECT{x, buttonTop, x + w, buttonTop + kButtonHeight};
        x += w + kButtonGap;
    }
    return layout;
}

void Paint(gdi::GlyphSource& font, const Layout& layout, const char* text, const Interaction& interaction,
           std::vector<uint32_t>* pixels) {
    Canvas canvas(layout.width, layout.height, pixels);
    if (layout.icon) DrawIcon(canvas, font, layout.icon, layout.iconRect);
    DrawText(canvas, font, text ? text : "", layout.textRect, kTextFormat, kInk);
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        const Button& b = layout.buttons[i];
        const bool focused = int(i) == interaction.focused;
        canvas.Fill(b.rect, int(i) == interaction.pressed ? kButtonPressed : kButtonFace);
        canvas.Frame(b.rect, focused ? 2 : 1, focused ? kFocusBorder : kButtonBorder);
        DrawText(canvas, font, b.label, b.rect, kLabelFormat, kInk);
    }
}

int ButtonAt(const Layout& layout, int x, int y) {
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        const RECT& r = layout.buttons[i].rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return int(i);
    }
    return -1;
}

}  // namespace nol::win32::msgbox
