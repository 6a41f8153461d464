// A one-line text field on the 3D screen: typed ASCII characters and Japanese text
// from the input method, kept as CP932 bytes. The owner starts it with Begin, calls
// Update once a frame between BeginText and EndText until it returns 1 (Enter) or
// -1 (Escape), reads the text, and ends it with End.
#pragma once

#include <string>

#include "imm/imm.h"

// A Shift-JIS lead byte: the first of a double-byte character.
bool IsLeadByte(unsigned char byte);

class CTextEntry {
public:
    CTextEntry() = default;
    ~CTextEntry();
    CTextEntry(const CTextEntry&) = delete;
    CTextEntry& operator=(const CTextEntry&) = delete;

    // Takes the main window's input context and puts the caret at the start. The
    // text is kept. A negative maxLength counts as 0.
    void Begin(int x, int y, int maxLength);
    // Gives the input context back.
    void End();
    // Draws the field and handles this frame's keys: 0 editing goes on, 1 Enter,
    // -1 Escape.
    int Update();

    // The committed text, CP932.
    const char* GetText() const { return text.c_str(); }
    // Empties the text (only the owner does; Begin and End keep it).
    void ClearText();
    // What is drawn: the text with the composition at the caret.
    const char* GetDisplay() const { return display.c_str(); }
    int GetCaret() const { return caret; }
    // Whether the input method's composition was under way at the last key.
    bool IsComposing() const { return !composition.empty(); }

private:
    void DrawCaret() const;
    void PlaceCandidateList() const;
    // The composition or result string of the input context; empty when the
    // context gives none.
    std::string ReadCompositionString(DWORD index) const;
    void CommitResult();
    void HandleEditingKeys();
    void InsertTypedChar();
    // Bytes of the character at the caret (a character boundary before the end).
    int CharLengthAtCaret() const;
    // Byte index of the start of the character that ends at `end` (a character
    // boundary), found from the start of the text: in Shift-JIS a byte in the
    // lead range may be the second half of a character.
    int PreviousCharStart(int end) const;

    HIMC inputContext = nullptr;
    std::string text;
    std::string display;
    std::string composition;
    int x = 0;
    int y = 0;
    int caret = 0;  // byte index into text
    int maxLength = 80;
};
