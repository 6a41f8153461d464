// GetOpenFileNameA and GetSaveFileNameA over the choosers that are programs
// (zenity, then kdialog), here stand-ins that record what they are asked and
// answer as the test says: what the caller gets back, what is refused, and what
// happens where no chooser can be shown at all.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "tests/comdlg_fixture.h"
#include "win32/test_hooks.h"

using namespace comdlgtest;

namespace {

using Strings = std::vector<std::string>;

long long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

bool Has(const Strings& args, const std::string& arg) {
    return std::find(args.begin(), args.end(), arg) != args.end();
}

class ComdlgChoosers : public ChooserTest {};

TEST_F(ComdlgChoosers, WithNoChooserAnywhereTheCallSaysSoAndReturnsAtOnce) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    testing::internal::CaptureStderr();
    const long long start = NowMs();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_LT(NowMs() - start, 2000);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_DIALOGFAILURE));
    EXPECT_NE(log.find("file dialog: no file chooser could be shown (portal: no session bus; zenity: not on PATH; "
                       "kdialog: not on PATH)"),
              std::string::npos)
        << log;
}

TEST_F(ComdlgChoosers, ZenityOpensAFileWhosePathComesBackInTheProgramsCodePage) {
    choosers.Install("zenity");
    Touch(U8(u8"表.txt"));
    const std::string chosen = files.File(U8(u8"表.txt"));
    choosers.Answer("zenity", 1, chosen, 0);

    char file[MAX_PATH] = "";
    char title[16] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    ofn.nFilterIndex = 2;
    const std::string caption = ToCp932(U8(u8"開く"));
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));

    const std::string expected = ToCp932(chosen);
    EXPECT_EQ(std::string(file), expected);
    EXPECT_EQ(ofn.nFileOffset, expected.size() - 6);  // "表.txt" is six bytes
    EXPECT_EQ(ofn.nFileExtension, expected.size() - 3);
    EXPECT_EQ(std::string(title), ToCp932(U8(u8"表.txt")));
    // The current filter shown first; the title in UTF-8; an open, not a save.
    EXPECT_EQ(choosers.Arguments("zenity"),
              (Strings{"--file-selection", U8(u8"--title=開く"), "--file-filter=All files | *",
                       "--file-filter=Text (*.txt) | *.txt"}));
}

TEST_F(ComdlgChoosers, ASaveGetsTheDefaultExtensionAndIsAskedAboutTheFileThatNameMeans) {
    choosers.Install("zenity");
    static std::vector<std::string> asked;
    static int answer = IDNO;
    asked.clear();
    NolSetMessageBoxAnswerer([](HWND, LPCSTR text, LPCSTR, UINT type) {
        asked.push_back(text);
        EXPECT_EQ(type & 0xF, UINT(MB_YESNO));
        return answer;
    });

    // A bare name that is free with the extension: no question.
    choosers.Answer("zenity", 1, files.File("notes"), 0);
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file), files.File("notes.txt"));
    EXPECT_TRUE(Has(choosers.Arguments("zenity", 1), "--confirm-overwrite"));
    EXPECT_TRUE(asked.empty());

    // zenity asked about "notes", but "notes.txt" is the file that would go: the
    // program asks. No brings the chooser back at that name, whose answer counts.
    Touch("notes.txt");
    choosers.Answer("zenity", 2, files.File("notes"), 0);
    choosers.Answer("zenity", 3, files.File("other"), 0);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file), files.File("other.txt"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find(files.File("notes.txt") + " already exists."), std::string::npos) << asked[0];
    EXPECT_TRUE(Has(choosers.Arguments("zenity", 3), "--filename=" + files.File("notes.txt")));

    // Yes: that file it is. A name zenity itself confirmed is not asked about again.
    answer = IDYES;
    choosers.Answer("zenity", 4, files.File("notes"), 0);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file), files.File("notes.txt"));
    choosers.Answer("zenity", 5, files.File("notes.txt"), 0);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(asked.size(), 2u);
    NolSetMessageBoxAnswerer(nullptr);
}

TEST_F(ComdlgChoosers, KdialogComesNextAndTheProgramAsksBeforeItsSaveReplacesAFile) {
    choosers.Install("zenity");
    choosers.Install("kdialog");
    static int asked = 0;
    asked = 0;
    NolSetMessageBoxAnswerer([](HWND, LPCSTR, LPCSTR, UINT) {
        ++asked;
        return IDYES;
    });
    // A zenity that fails (not a cancel) hands over to kdialog, which does not
    // confirm an existing file itself.
    Touch("kept.txt");
    choosers.Answer("zenity", 1, "", 5);
    choosers.Answer("kdialog", 1, files.File("kept.txt"), 0);
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_OVERWRITEPROMPT);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string(file), files.File("kept.txt"));
    EXPECT_EQ(asked, 1);
    EXPECT_NE(log.find("zenity: ended with status 5; using kdialog"), std::string::npos) << log;
    const Strings args = choosers.Arguments("kdialog");
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ(args[0], "--getsavefilename");
    NolSetMessageBoxAnswerer(nullptr);
}

TEST_F(ComdlgChoosers, ACancelIsNoFailureAndNoCaseForTheNextChooser) {
    choosers.Install("zenity");
    choosers.Install("kdialog");
    choosers.Answer("zenity", 1, "", 1);
    char file[MAX_PATH] = "untouched";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_FALSE(choosers.Started("kdialog"));
    // The buffer's name went to the chooser as the one to start from.
    EXPECT_TRUE(Has(choosers.Arguments("zenity"), "--filename=untouched"));
}

TEST_F(ComdlgChoosers, WhatTheCallerCannotTakeIsRefusedWithItsReason) {
    choosers.Install("zenity");
    Touch("a-rather-long-name.txt");
    Touch(U8(u8"\U0001F600.txt"));
    choosers.Answer("zenity", 1, files.File("missing.txt"), 0);
    choosers.Answer("zenity", 2, files.File("a-rather-long-name.txt"), 0);
    choosers.Answer("zenity", 3, files.File(U8(u8"\U0001F600.txt")), 0);

    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_FILEMUSTEXIST);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_INVALIDFILENAME));

    // Too long for the buffer: its first two bytes say how much is needed.
    char small[12] = "";
    OPENFILENAMEA tight = Dialog(small, sizeof small);
    EXPECT_FALSE(GetOpenFileNameA(&tight));
    EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_BUFFERTOOSMALL));
    WORD needed = 0;
    std::memcpy(&needed, small, sizeof needed);
    EXPECT_EQ(needed, files.File("a-rather-long-name.txt").size() + 1);

    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_INVALIDFILENAME));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("missing.txt does not exist"), std::string::npos) << log;
    EXPECT_NE(log.find("the buffer has 12"), std::string::npos) << log;
    EXPECT_NE(log.find("has characters the program's code page does not have"), std::string::npos) << log;

    // A structure of another size is not read at all.
    ofn.lStructSize = 88;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_STRUCTSIZE));
    EXPECT_FALSE(choosers.Started("zenity", 4));
}

}  // namespace
