// The text field against injected keys and input-method events: when it ends,
// how it edits CP932 text, and how an input method's result is fitted in.
#include <gtest/gtest.h>

#include <string>

#include "display_required.h"
#include "input/text_entry.h"
#include "shell/window.h"
#include "text_entry_driver.h"

namespace {

class TextEntry : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        InputState = InputStateRecord{};
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        field.End();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    std::string Text() const { return field.GetText(); }

    CTextEntry field;
    TextEntryDriver driver{field};
};

TEST_F(TextEntry, EnterAndEscapeEndTheEntryOnlyWhileNothingIsBeingComposed) {
    field.Begin(10, 10, 80);
    EXPECT_EQ(driver.Frame(), 0);
    EXPECT_EQ(driver.Press(DIK_RETURN), 1);
    EXPECT_EQ(driver.Press(DIK_ESCAPE), -1);
    // A held key is no press: the frames after the first go on editing.
    EXPECT_EQ(driver.Frame({DIK_RETURN}), 1);
    EXPECT_EQ(driver.Frame({DIK_RETURN}), 0);
    driver.Frame();

    // A character typed waits for a frame with a key press.
    PostMessageA(mainWindow, WM_CHAR, 'x', 0);
    EXPECT_EQ(driver.Frame(), 0);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(driver.Press(DIK_X), 0);
    EXPECT_EQ(Text(), "x");

    // While composing, Escape is the input method's and letters are not typed.
    driver.Editing(U8(u8"にほんご"));
    EXPECT_EQ(driver.Press(DIK_O), 0);
    EXPECT_TRUE(field.IsComposing());
    EXPECT_STREQ(field.GetDisplay(), "xにほんご");
    EXPECT_EQ(driver.Press(DIK_ESCAPE), 0);
    PostMessageA(mainWindow, WM_CHAR, 'z', 0);
    driver.Editing(U8(u8"日本語"));
    EXPECT_EQ(driver.Press(DIK_SPACE), 0);
    EXPECT_STREQ(field.GetDisplay(), "x日本語");
    EXPECT_EQ(Text(), "x");

    // Enter commits: the result goes in at the caret, which moves past it.
    driver.Commit(U8(u8"日本語"));
    driver.Editing("");
    EXPECT_EQ(driver.Press(DIK_RETURN), 0);
    EXPECT_EQ(Text(), "x日本語");
    EXPECT_STREQ(field.GetDisplay(), "x日本語");
    EXPECT_EQ(field.GetCaret(), 7);
    EXPECT_FALSE(field.IsComposing());
    // The result's bytes came as WM_CHARs too; none of them is typed.
    EXPECT_EQ(driver.Press(DIK_RETURN), 1);
    EXPECT_EQ(Text(), "x日本語");
}

TEST_F(TextEntry, EditingKeysTakeDoubleByteCharactersWhole) {
    field.Begin(0, 0, 80);
    driver.Type('a');
    driver.CommitThroughInputMethod(U8(u8"あ"));
    driver.Type('b');
    ASSERT_EQ(Text(), "aあb");
    EXPECT_EQ(field.GetCaret(), 4);

    driver.Press(DIK_LEFT);
    EXPECT_EQ(field.GetCaret(), 3);
    driver.Press(DIK_LEFT);
    EXPECT_EQ(field.GetCaret(), 1) << "over あ by two";
    driver.Press(DIK_RIGHT);
    EXPECT_EQ(field.GetCaret(), 3);
    driver.Press(DIK_BACK);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(field.GetCaret(), 1);
    EXPECT_STREQ(field.GetDisplay(), "ab");

    driver.CommitThroughInputMethod(U8(u8"あ"));
    ASSERT_EQ(Text(), "aあb");
    driver.Press(DIK_LEFT);
    driver.Press(DIK_DELETE);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(field.GetCaret(), 1);
    driver.Press(DIK_DELETE);
    EXPECT_EQ(Text(), "a");
    driver.Press(DIK_DELETE);  // at the end: nothing
    driver.Press(DIK_RIGHT);
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(field.GetCaret(), 1);
    driver.Press(DIK_BACK);
    driver.Press(DIK_BACK);  // at the start: nothing
    driver.Press(DIK_LEFT);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(field.GetCaret(), 0);

    // 亜 is 88 9F: its second byte lies in the lead-byte range. Looking two bytes
    // back from the caret would take it for a character's start; Backspace after
    // "亜a" removes the "a" alone and never half of 亜.
    driver.CommitThroughInputMethod(U8(u8"亜"));
    driver.Type('a');
    driver.Press(DIK_BACK);
    EXPECT_EQ(Text(), "亜");
    driver.Type('a');
    driver.Press(DIK_LEFT);
    EXPECT_EQ(field.GetCaret(), 2);
    driver.Press(DIK_LEFT);
    EXPECT_EQ(field.GetCaret(), 0);
}

TEST_F(TextEntry, TypingGoesInAtTheCaretAndOnlyPrintableAsciiWithinTheLimit) {
    field.Begin(0, 0, 4);
    driver.Type("ac");
    driver.Press(DIK_LEFT);
    driver.Type('b');
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(field.GetCaret(), 2);
    EXPECT_STREQ(field.GetDisplay(), "abc");

    // The halves of a double-byte character, control characters and DEL are not
    // typed; Japanese comes only as the input method's result.
    for (int c : {0x82, 0xA0, int('\r'), int('\t'), 0x7F}) {
        PostMessageA(mainWindow, WM_CHAR, WPARAM(c), 0);
        driver.Press(DIK_A);
    }
    EXPECT_EQ(Text(), "abc");
    driver.Type("de");
    EXPECT_EQ(Text(), "abdc") << "the fourth byte fits, the fifth does not";

    // The text outlives End and Begin; only the owner clears it.
    field.End();
    field.Begin(0, 0, 80);
    EXPECT_EQ(Text(), "abdc");
    EXPECT_EQ(field.GetCaret(), 0);
    field.ClearText();
    EXPECT_EQ(Text(), "");
    EXPECT_STREQ(field.GetDisplay(), "");
}

TEST_F(TextEntry, AResultTooLongIsCutAtTheEndAWholeCharacterAtATime) {
    // 78 bytes and two double-byte characters: the first fits.
    field.Begin(0, 0, 80);
    driver.Type(std::string(78, 'x'));
    driver.CommitThroughInputMethod(U8(u8"日本"));
    EXPECT_EQ(Text(), std::string(78, 'x') + "日");
    EXPECT_EQ(field.GetCaret(), 80);
    EXPECT_STREQ(field.GetDisplay(), Text().c_str());

    // 79 bytes: neither fits.
    field.ClearText();
    field.Begin(0, 0, 80);
    driver.Type(std::string(79, 'x'));
    driver.CommitThroughInputMethod(U8(u8"日本"));
    EXPECT_EQ(Text(), std::string(79, 'x'));
    EXPECT_EQ(field.GetCaret(), 79);

    // A result put in the middle pushes the end of the text out.
    field.ClearText();
    field.Begin(0, 0, 5);
    driver.Type("abcd");
    driver.Press(DIK_LEFT);
    driver.Press(DIK_LEFT);
    driver.Press(DIK_LEFT);
    driver.CommitThroughInputMethod(U8(u8"日"));
    EXPECT_EQ(Text(), "a日bc");
    EXPECT_EQ(field.GetCaret(), 3);

    // Cutting "亜a" takes the "a" and leaves 亜 whole, though 亜's second byte
    // looks like a lead byte. (An empty result: the composition was dropped.)
    field.ClearText();
    field.Begin(0, 0, 80);
    driver.CommitThroughInputMethod(U8(u8"亜"));
    driver.Type('a');
    field.Begin(0, 0, 2);
    driver.Editing(U8(u8"か"));
    driver.Press(DIK_K);
    driver.Editing("");
    EXPECT_EQ(driver.Press(DIK_RETURN), 0);
    EXPECT_EQ(Text(), "亜");

    // A limit of 0 (or below) empties the text at the next result and takes no
    // typing.
    field.Begin(0, 0, -5);
    driver.CommitThroughInputMethod(U8(u8"か"));
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(field.GetCaret(), 0);
    driver.Type('q');
    EXPECT_EQ(Text(), "");
}

TEST_F(TextEntry, WithoutAnInputContextTheFieldStillTakesTypingAndNothingComposes) {
    // Never begun: the input method's events have no context to go to.
    driver.Editing(U8(u8"か"));
    EXPECT_EQ(driver.Press(DIK_K), 0);
    EXPECT_FALSE(field.IsComposing());
    driver.Type('k');
    EXPECT_EQ(Text(), "k");
    EXPECT_EQ(driver.Press(DIK_RETURN), 1);

    // A field holds one context however often it begins, and gives it back.
    field.Begin(0, 0, 80);
    field.Begin(0, 0, 80);
    EXPECT_TRUE(SDL_IsTextInputActive());
    field.End();
    EXPECT_FALSE(SDL_IsTextInputActive());
    {
        CTextEntry other;
        other.Begin(0, 0, 80);
        EXPECT_TRUE(SDL_IsTextInputActive());
    }
    EXPECT_FALSE(SDL_IsTextInputActive()) << "a field gone gives its context back";
}

}  // namespace
