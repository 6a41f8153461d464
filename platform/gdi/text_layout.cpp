#include "gdi/text_layout.h"

#include <algorithm>
#include <cstring>

#include "base/platform_log.h"
#include "gdi/cp932_text.h"

namespace nol::gdi {
namespace {

// Characters carry their "&" underline mark in a bit no code point uses.
constexpr char32_t kUnderlined = 0x80000000u;
constexpr char32_t kCodeMask = ~kUnderlined;

char32_t CodeOf(char32_t item) { return item & kCodeMask; }
bool IsBreak(char32_t c) { return c == '\n' || c == '\r'; }
bool IsBlank(char32_t c) { return c == ' ' || c == '\t'; }
// Japanese text may be broken between any two characters.
bool IsWide(char32_t c) { return c >= 0x2E80; }

int FloorHalf(int v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

struct Line {
    size_t begin, end;
    int width;
};

class Layouter {
public:
    Layouter(TextMetrics& metrics, unsigned format, std::u32string& chars, std::vector<Line>& lines)
        : metrics_(metrics), format_(format), chars_(chars), lines_(lines) {
        tabWidth_ = std::max(1, 8 * metrics.AverageWidth());
    }

    void Decode(const char* text, size_t length) {
        chars_.clear();
        const bool prefixes = !(format_ & DT_NOPREFIX);
        size_t pos = 0;
        while (pos < length) {
            char32_t c = NextCp932(text, length, &pos);
            if (prefixes && c == '&') {
                if (pos >= length) break;  // a lone "&" at the end marks nothing
                c = NextCp932(text, length, &pos);
                if (c != '&') c |= kUnderlined;
            }
            chars_.push_back(c);
        }
    }

    // Pixels the character at pen position x (from the line's start) moves on.
    int Advance(char32_t item, int x) {
        const char32_t c = CodeOf(item);
        if (c == '\t') return (format_ & DT_EXPANDTABS) ? tabWidth_ - x % tabWidth_ : 0;
        if (IsBreak(c)) return 0;  // only reaches here with DT_SINGLELINE
        return metrics_.Advance(c);
    }

    int Measure(size_t begin, size_t end) {
        int x = 0;
        for (size_t k = begin; k < end; ++k) x += Advance(chars_[k], x);
        return x;
    }

    void BreakLines(int wrapWidth) {
        lines_.clear();
        const size_t n = chars_.size();
        const bool single = format_ & DT_SINGLELINE;
        const bool wrap = (format_ & DT_WORDBREAK) && !single;
        size_t i = 0;
        while (i < n) {
            size_t j = i;
            while (j < n && (single || !IsBreak(CodeOf(chars_[j])))) ++j;
            if (wrap)
                Wrap(i, j, wrapWidth);
            else
                lines_.push_back({i, j, Measure(i, j)});
            if (j >= n) break;
            j += (CodeOf(chars_[j]) == '\r' && j + 1 < n && CodeOf(chars_[j + 1]) == '\n') ? 2 : 1;
            i = j;  // a break at the very end starts no further line
        }
    }

    void Wrap(size_t begin, size_t end, int width) {
        if (begin == end) {
            lines_.push_back({begin, end, 0});
            return;
        }
        size_t s = begin;
        while (s < end) {
            size_t cut = end;
            size_t lastBreak = s;
            int x = 0;
            for (size_t k = s; k < end; ++k) {
                const char32_t c = CodeOf(chars_[k]);
                const bool breakable =
                    k > s && (IsBlank(CodeOf(chars_[k - 1])) || IsWide(CodeOf(chars_[k - 1])) || IsWide(c));
                if (breakable) lastBreak = k;
                const int a = Advance(chars_[k], x);
                if (k > s && x + a > width) {
                    if (IsBlank(c) || breakable) {
                        cut = k;
                        break;
                    }
                    if (lastBreak > s) {
                        cut = lastBreak;
                        break;
                    }
                    // One word wider than the line runs on to its end.
                }
                x += a;
            }
            size_t last = cut;
            while (last > s && IsBlank(CodeOf(chars_[last - 1]))) --last;
            lines_.push_back({s, last, Measure(s, last)});
            s = cut;
            while (s < end && IsBlank(CodeOf(chars_[s]))) ++s;
        }
    }

    // The first line's top; height gets DrawTextA's result, which with vertical
    // alignment counts from the rectangle's top to the text's bottom.
    int StartY(const RECT& rect, int* height) const {
        const int block = static_cast<int>(lines_.size()) * metrics_.CellHeight();
        int y = rect.top;
        if (format_ & DT_VCENTER)
            y = rect.top + FloorHalf((rect.bottom - rect.top) - block);
        else if (format_ & DT_BOTTOM)
            y = rect.bottom - block;
        *height = (format_ & (DT_VCENTER | DT_BOTTOM)) ? (y - rect.top) + block : block;
        return y;
    }

    void Place(const RECT& rect, TextLayout* out) {
        const int cell = metrics_.CellHeight();
        int y = StartY(rect, &out->height);

        const int underlineY = std::min(metrics_.Ascent() + 1, cell - 1);
        for (const Line& line : lines_) {
            if (out->clip && (y >= out->clipRect.bottom || y + cell <= out->clipRect.top)) {
                y += cell;
                continue;
            }
            int x = rect.left;
            if (format_ & DT_CENTER)
                x = rect.left + FloorHalf((rect.right - rect.left) - line.width);
            else if (format_ & DT_RIGHT)
                x = rect.right - line.width;
            out->lineBoxes.push_back({x, y, x + line.width, y + cell});
            int pen = 0;
            for (size_t k = line.begin; k < line.end; ++k) {
                const char32_t item = chars_[k];
                const char32_t c = CodeOf(item);
                const int a = Advance(item, pen);
                if (c != ' ' && c != '\t' && !IsBreak(c)) out->glyphs.push_back({c, x + pen, y});
                if ((item & kUnderlined) && a > 0) out->underlines.push_back({x + pen, y + underlineY, a});
                pen += a;
            }
            y += cell;
        }
    }

    int WidestLine() const {
        int w = 0;
        for (const Line& line : lines_) w = std::max(w, line.width);
        return w;
    }

private:
    TextMetrics& metrics_;
    unsigned format_;
    std::u32string& chars_;
    std::vector<Line>& lines_;
    int tabWidth_;
};

// Work buffers, kept between calls so that a steady stream of strings allocates
// nothing. Everything runs on the main thread.
std::u32string& CharBuffer() {
    static std::u32string chars;
    return chars;
}
std::vector<Line>& LineBuffer() {
    static std::vector<Line> lines;
    return lines;
}

}  // namespace

void LayoutText(TextMetrics& metrics, const char* text, int count, RECT* rect, unsigned format,
                TextLayout* out) {
    out->glyphs.clear();
    out->underlines.clear();
    out->lineBoxes.clear();
    out->draw = false;
    out->clip = false;
    out->height = 0;
    if (!rect) return;
    size_t length = 0;
    if (text) length = count < 0 ? strnlen(text, kMaxTextBytes + 1) : strnlen(text, static_cast<size_t>(count));
    if (length > kMaxTextBytes) {
        NolLog("DrawTextA: text cut to its first %zu bytes\n", kMaxTextBytes);
        length = kMaxTextBytes;
    }

    Layouter layouter(metrics, format, CharBuffer(), LineBuffer());
    layouter.Decode(text, length);
    layouter.BreakLines(rect->right - rect->left);

    if (format & DT_CALCRECT) {
        rect->right = rect->left + layouter.WidestLine();
        rect->bottom = rect->top + static_cast<int>(LineBuffer().size()) * metrics.CellHeight();
        out->height = rect->bottom - rect->top;
        return;
    }
    const bool empty = rect->right <= rect->left || rect->bottom <= rect->top;
    out->clip = !(format & DT_NOCLIP);
    out->clipRect = *rect;
    out->draw = !(empty && out->clip) && !CharBuffer().empty();
    if (out->draw)
        layouter.Place(*rect, out);
    else
        layouter.StartY(*rect, &out->height);  // nothing shows, but the height is known
}

}  // namespace nol::gdi
