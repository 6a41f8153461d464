// The debug log's lines and destinations, the switch test and the message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/platform_log.h"
#include "shell/log.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"
#include "win32/windows.h"

namespace {

void SetArgs(std::vector<std::string> args) {
    static std::vector<std::string> storage;
    static std::vector<char*> argv;
    storage = std::move(args);
    argv.clear();
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    SetCommandLineArgs((int)storage.size(), argv.data());
}

TEST(HasSwitch, MatchesWholeArgumentsExactly) {
    SetArgs({"nolrace", "-win", "x-dbf", "-DBF", "--dbf", "-dbf2", "/fx"});
    EXPECT_EQ(HasSwitch("-win"), 1);
    EXPECT_EQ(HasSwitch("/fx"), 1);
    EXPECT_EQ(HasSwitch("-dbf"), 0);  // only look-alikes were given
    EXPECT_EQ(HasSwitch("nolrace"), 0);  // the program name is not a switch
    SetArgs({"nolrace", "-dbf"});
    EXPECT_EQ(HasSwitch("-dbf"), 1);
    SetArgs({"nolrace"});
    EXPECT_EQ(HasSwitch("-win"), 0);
}

TEST(LogMessage, GoesToTheDebuggerOutputAsFormattedWithoutTheSwitch) {
    SetArgs({"nolrace"});
    testing::internal::CaptureStderr();
    LogMessage("load(%s) ... ", "100%s_%d.x");  // a percent sign inside an argument
    LogMessage("ok.\n");
    LogSeparator();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "load(100%s_%d.x) ... ok.\n----------------------------------------\n");
    EXPECT_STREQ(GetLogPath(), "");
}

TEST(LogMessage, JapaneseLinesReachStandardErrorAsUtf8) {
    testing::internal::CaptureStderr();
    LogMessage("<アクティブ>\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), reinterpret_cast<const char*>(u8"<アクティブ>\n"));
}

TEST(LogMessage, TruncatesAnOverlongLineAndKeepsItsLineEnd) {
    testing::internal::CaptureStderr();
    LogMessage("%s\n", std::string(400, 'a').c_str());
    LogMessage("next\n");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, std::string(254, 'a') + "\nnext\n");

    // A cut never splits a double-byte character: after "x", 126 two-byte
    // characters fit before the line end; the 127th would need byte 254 for itself.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "あ";
    testing::internal::CaptureStderr();
    LogMessage("x%s\n", wide.c_str());
    err = testing::internal::GetCapturedStderr();
    std::string expected = "x";
    for (int i = 0; i < 126; ++i) expected += reinterpret_cast<const char*>(u8"あ");
    EXPECT_EQ(err, expected + "\n");

    // The platform's own lines are cut by the same rule.
    testing::internal::CaptureStderr();
    NolLog("x%s\n", wide.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected + "\n");
}

TEST(GetModuleDirectory, IsTheProgramsDirectoryWithItsSeparator) {
    char directory[MAX_PATH];
    GetModuleDirectory(directory);
    std::string dir = directory;
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    char file[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA(nullptr), file, MAX_PATH);
    EXPECT_EQ(std::string(file).rfind(dir, 0), 0u);
    EXPECT_EQ(std::string(file).find('/', dir.size()), std::string::npos);
}

int lastType = 0;
int Answer(HWND, LPCSTR, LPCSTR, UINT type) {
    lastType = (int)type;
    return IDYES;
}

TEST(MessageBoxes, YesNoIsSystemModalAndOnlyYesCounts) {
    NolSetMessageBoxAnswerer(Answer);
    EXPECT_EQ(MessageYesNo("続けますか?"), 1);
    EXPECT_EQ(lastType, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
    NolSetMessageBoxAnswerer(nullptr);

    // The automatic answerer of whole processes: "no", and an answer the box does
    // not offer ("ok" for a Yes/No box) both count as No.
    setenv("NOL_AUTO_MESSAGEBOX", "no", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageYesNo("続けますか?"), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(reinterpret_cast<const char*>(u8"続けますか?")),
              std::string::npos);
    setenv("NOL_AUTO_MESSAGEBOX", "ok", 1);
    EXPECT_EQ(MessageYesNo("?"), 0);
    setenv("NOL_AUTO_MESSAGEBOX", "yes", 1);
    EXPECT_EQ(MessageYesNo("?"), 1);
}

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<Box> shown;
int Record(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    shown.push_back({owner, text, caption, type});
    return IDOK;
}

// Before the main window exists the box has no owner; after, the window owns it.
TEST(MessageBoxes, OkHasOneButtonNoTitleAndTheMainWindowAsOwner) {
    NolSetMessageBoxAnswerer(Record);
    MessageOk("まだ窓がありません");
    HWND window = reinterpret_cast<HWND>(0x5151);
    mainWindow = window;
    MessageOk("窓があります");
    mainWindow = nullptr;
    NolSetMessageBoxAnswerer(nullptr);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].owner, nullptr);
    EXPECT_EQ(shown[1].owner, window);
    for (const Box& b : shown) {
        EXPECT_EQ(b.caption, "");
        EXPECT_EQ(b.type, (UINT)MB_OK);  // plain OK: not system-modal, no icon
    }
    EXPECT_EQ(shown[1].text, "窓があります");
}

}  // namespace
