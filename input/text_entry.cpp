// The text field: drawing, the frame's keys, the input method's composition and
// result.
#include "input/text_entry.h"

#include <algorithm>
#include <vector>

#include "input/input.h"
#include "render/graphics_state.h"
#include "render/text.h"
#include "shell/window.h"

namespace {

constexpr int kBlinkFrames = 30;
constexpr int kCaretShownFrames = 15;

// Frames modulo 30, counted by every field's Update.
int blinkCounter = 0;

bool IsPrintableAscii(int c) { return c >= 0x20 && c < 0x7F; }

int Length(const std::string& s) { return static_cast<int>(s.size()); }

// A back-buffer coordinate in the window's client area, over which the back
// buffer is stretched.
LONG ToClient(int at, int clientSize, int screenSize) {
    return screenSize > 0 ? (LONG)((long long)at * clientSize / screenSize) : at;
}

}  // namespace

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte); }

CTextEntry::~CTextEntry() { End(); }

void CTextEntry::Begin(int x, int y, int maxLength) {
    End();
    inputContext = ImmGetContext(mainWindow);
    this->x = x;
    this->y = y;
    this->maxLength = std::max(0, maxLength);
    caret = 0;
}

void CTextEntry::End() {
    if (inputContext) ImmReleaseContext(mainWindow, inputContext);
    inputContext = nullptr;
}

void CTextEntry::ClearText() {
    text.clear();
    display.clear();
    caret = 0;
}

int CTextEntry::Update() {
    DrawTextAt(x, y, display.c_str());
    DrawCaret();
    PlaceCandidateList();

    if (GetPushedKey() == -1) return 0;
    if (GetKey(DIK_RETURN) == KEY_PUSHED) {
        if (composition.empty()) return 1;
        CommitResult();
        return 0;
    }
    if (GetKey(DIK_ESCAPE) == KEY_PUSHED) return composition.empty() ? -1 : 0;
    if (ImmGetOpenStatus(inputContext)) composition = ReadCompositionString(GCS_COMPSTR);
    if (!composition.empty()) {
        display = text;
        display.insert(static_cast<size_t>(caret), composition);
        return 0;
    }
    HandleEditingKeys();
    InsertTypedChar();
    return 0;
}

void CTextEntry::DrawCaret() const {
    blinkCounter = (blinkCounter + 1) % kBlinkFrames;
    if (blinkCounter < kCaretShownFrames) DrawTextAt(x + caret * GraphicsState.fontHeight / 2, y, "_");
}

// The input method puts its candidate list below the composition, which starts
// at the caret.
void CTextEntry::PlaceCandidateList() const {
    if (!inputContext) return;
    const int half = GraphicsState.fontHeight / 2;
    const int left = x + caret * half;
    const int right = left + std::max<int>(1, static_cast<int>(composition.size())) * half;
    const int sw = GraphicsState.screenWidth, sh = GraphicsState.screenHeight;
    CANDIDATEFORM form{};
    form.dwIndex = 0;
    form.dwStyle = CFS_EXCLUDE;
    form.ptCurrentPos = POINT{ToClient(left, clientWidth, sw), ToClient(y, clientHeight, sh)};
    form.rcArea = RECT{form.ptCurrentPos.x, form.ptCurrentPos.y, ToClient(right, clientWidth, sw),
                       ToClient(y + GraphicsState.fontHeight, clientHeight, sh)};
    ImmSetCandidateWindow(inputContext, &form);
}

std::string CTextEntry::ReadCompositionString(DWORD index) const {
    const LONG length = ImmGetCompositionStringA(inputContext, index, nullptr, 0);
    if (length <= 0) return std::string();  // none, or a failure (no context)
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const LONG copied = ImmGetCompositionStringA(inputContext, index, buffer.data(), static_cast<DWORD>(length));
    buffer[static_cast<size_t>(std::clamp<LONG>(copied, 0, length))] = '\0';
    return std::string(buffer.data());
}

void CTextEntry::CommitResult() {
    composition = ReadCompositionString(GCS_RESULTSTR);
    text.insert(static_cast<size_t>(caret), composition);
    caret += Length(composition);
    // Too long: cut at the end, a whole character at a time.
    while (Length(text) > maxLength) text.resize(static_cast<size_t>(PreviousCharStart(Length(text))));
    caret = std::min(caret, Length(text));
    display = text;
    composition.clear();
}

void CTextEntry::HandleEditingKeys() {
    if (GetKey(DIK_BACK) == KEY_PUSHED && caret > 0) {
        const int start = PreviousCharStart(caret);
        text.erase(static_cast<size_t>(start), static_cast<size_t>(caret - start));
        caret = start;
        display = text;
    }
    if (GetKey(DIK_DELETE) == KEY_PUSHED && caret < Length(text)) {
        text.erase(static_cast<size_t>(caret), static_cast<size_t>(CharLengthAtCaret()));
        display = text;
    }
    if (GetKey(DIK_LEFT) == KEY_PUSHED && caret > 0) caret = PreviousCharStart(caret);
    if (GetKey(DIK_RIGHT) == KEY_PUSHED && caret < Length(text)) caret += CharLengthAtCaret();
}

void CTextEntry::InsertTypedChar() {
    const int c = GetTypedChar();
    if (!IsPrintableAscii(c) || Length(text) >= maxLength) return;
    text.insert(static_cast<size_t>(caret), 1, static_cast<char>(c));
    ++caret;
    display = text;
}

int CTextEntry::CharLengthAtCaret() const {
    const bool twoFollow = Length(text) - caret >= 2;
    return twoFollow && IsLeadByte(static_cast<unsigned char>(text[static_cast<size_t>(caret)])) ? 2 : 1;
}

int CTextEntry::PreviousCharStart(int end) const {
    int start = 0;
    for (int at = 0; at < end; at += IsLeadByte(static_cast<unsigned char>(text[static_cast<size_t>(at)])) && at + 1 < Length(text) ? 2 : 1)
        start = at;
    return start;
}
