// The text field drawn on the real device and read back: its text, the input
// method's composition at the caret, and the caret's blink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/frame.h"
#include "render/text.h"
#include "render_fixture.h"
#include "text_entry_driver.h"

namespace {

constexpr int kX = 100, kY = 100;
constexpr int kBlinkFrames = 30;

class TextEntryRender : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        InputState = InputStateRecord{};
        field.Begin(kX, kY, 80);
    }
    void TearDown() override {
        field.End();
        FrameworkDevice::TearDown();
    }

    // One frame of the field's owner: the field's Update between BeginText and
    // EndText; the back buffer read back when asked.
    int Frame(std::initializer_list<int> keys, std::vector<uint32_t>* picture = nullptr) {
        return driver.Frame(keys, [&](auto update) {
            EXPECT_EQ(BeginFrame(0xFF000000), 1);
            BeginText();
            update();
            EndText();
            if (picture) *picture = ReadBack(nullptr);
            EndFrame();
        });
    }

    void Type(const std::string& text) {
        for (char c : text) {
            PostMessageA(mainWindow, WM_CHAR, static_cast<unsigned char>(c), 0);
            Frame({DIK_A});
            Frame({});
        }
    }

    // The caret's cell at byte index caret has ink.
    bool CaretShown(const std::vector<uint32_t>& p, int caret) const {
        for (int y = kY; y < kY + 16; ++y)
            for (int x = kX + caret * 8; x < kX + caret * 8 + 8; ++x)
                if ((At(p, x, y) & 0xFFFFFF) != 0) return true;
        return false;
    }

    CTextEntry field;
    TextEntryDriver driver{field};
};

TEST_F(TextEntryRender, TheCaretShowsInFifteenOfEveryThirtyFrames) {
    ASSERT_NE(GraphicsState.font, nullptr);
    Type("a");
    int shown = 0;
    std::vector<uint32_t> picture;
    for (int i = 0; i < 2 * kBlinkFrames; ++i) {
        Frame({}, &picture);
        const bool visible = CaretShown(picture, 1);
        shown += visible;
        // Shown while the shared counter, one more each Update, is below 15.
        EXPECT_EQ(visible, driver.updates % kBlinkFrames < 15) << "frame " << driver.updates;
    }
    EXPECT_EQ(shown, kBlinkFrames);
}

TEST_F(TextEntryRender, TheCompositionIsDrawnInsideTheTextAtTheCaret) {
    ASSERT_NE(GraphicsState.font, nullptr);
    Type("ab");
    Frame({DIK_LEFT});
    Frame({});
    driver.Editing(U8(u8"かな"));
    Frame({DIK_K});
    // The field draws before it looks at the frame's keys: the composition shows
    // from the next frame on.
    std::vector<uint32_t> drawn;
    Frame({}, &drawn);
    const bool caretShown = driver.updates % kBlinkFrames < 15;

    // The same text and caret drawn straight: "a", the composition, "b"; the caret
    // stays where the composition begins (byte 1, a half-width cell in).
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    BeginText();
    DrawTextAt(kX, kY, "aかなb");
    if (caretShown) DrawTextAt(kX + 8, kY, "_");
    EndText();
    const std::vector<uint32_t> reference = ReadBack("text_entry_reference");
    EndFrame();
    ASSERT_EQ(drawn.size(), reference.size());
    int differing = 0, lit = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
        differing += drawn[i] != reference[i];
        lit += (reference[i] & 0xFFFFFF) != 0;
    }
    EXPECT_GT(lit, 100);
    EXPECT_EQ(differing, 0);
}

}  // namespace
