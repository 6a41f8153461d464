// The file dialogs' pieces that need no chooser: the filter list as the caller
// writes it, the chosen path on its way back (URI, default extension, code page,
// offsets) and the command lines zenity and kdialog are given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "comdlg/chosen_path.h"
#include "comdlg/command_chooser.h"
#include "comdlg/filter_list.h"
#include "support/test_support.h"

using namespace nol::comdlg;

namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(ComdlgFilterList, PairsEndAtTheEmptyStringAndPatternsSplitAtSemicolons) {
    // Descriptions in the program's code page come out as UTF-8; "*.*" is every
    // file, also those without a dot.
    const std::string list = "Text (*.txt)\0*.txt\0Pictures\0*.bmp; *.png;;\0"s + ToCp932(U8(u8"全部")) +
                             "\0*.*\0\0Ignored\0*.x\0\0"s;
    std::vector<FileFilter> filters;
    ASSERT_TRUE(ParseFilterList(list.c_str(), &filters));
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].name, "Text (*.txt)");
    EXPECT_EQ(filters[0].patterns, Strings{"*.txt"});
    EXPECT_EQ(filters[1].name, "Pictures");
    EXPECT_EQ(filters[1].patterns, (Strings{"*.bmp", "*.png"}));
    EXPECT_EQ(filters[2].name, U8(u8"全部"));
    EXPECT_EQ(filters[2].patterns, Strings{"*"});

    ASSERT_TRUE(ParseFilterList(nullptr, &filters));
    EXPECT_TRUE(filters.empty());
}

TEST(ComdlgFilterList, AListWithoutItsEndOrADescriptionWithoutPatternsIsRefused) {
    std::vector<FileFilter> filters = {{"kept", {"*.k"}}};
    const std::string noPatterns = "Text\0\0\0"s;
    EXPECT_FALSE(ParseFilterList(noPatterns.c_str(), &filters));
    // No terminating pair within the limit: not read on through memory.
    std::string endless(kMaxFilterListBytes + 64, 'a');
    endless[10] = '\0';
    EXPECT_FALSE(ParseFilterList(endless.c_str(), &filters));
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].name, "kept");
}

TEST(ComdlgChosenPath, OnlyLocalFileUrisBecomePaths) {
    std::string path;
    EXPECT_TRUE(LocalPathFromUri("file:///tmp/a%20b/%E6%97%A5.txt", &path));
    EXPECT_EQ(path, U8(u8"/tmp/a b/日.txt"));
    EXPECT_TRUE(LocalPathFromUri("file://localhost/home/x%25y", &path));
    EXPECT_EQ(path, "/home/x%y");
    path = "unchanged";
    for (const char* uri : {"https://example.org/a.txt", "file://server/share/a.txt", "file:///a%2", "file:///a%zz",
                            "file:///a%00b", "/tmp/a.txt"})
        EXPECT_FALSE(LocalPathFromUri(uri, &path)) << uri;
    EXPECT_EQ(path, "unchanged");
}

TEST(ComdlgChosenPath, TheDefaultExtensionGoesOnlyToANameWithoutOne) {
    EXPECT_EQ(WithDefaultExtension("/tmp/notes", "txt"), "/tmp/notes.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/notes", ".txt"), "/tmp/notes.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/notes.md", "txt"), "/tmp/notes.md");
    // A dot in a folder's name is no extension of the file's; a leading dot neither.
    EXPECT_EQ(WithDefaultExtension("/tmp/v1.2/notes", "txt"), "/tmp/v1.2/notes.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/.notes", "txt"), "/tmp/.notes.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/notes", ""), "/tmp/notes");
}

TEST(ComdlgChosenPath, OnlyPathsThatConvertWholeReachTheProgramsCodePage) {
    std::string cp932;
    ASSERT_TRUE(PathToCp932(U8(u8"/tmp/表?.txt"), &cp932));
    EXPECT_EQ(cp932, std::string("/tmp/\x95\x5C?.txt"));
    cp932 = "unchanged";
    EXPECT_FALSE(PathToCp932(U8(u8"/tmp/\U0001F600.txt"), &cp932));  // no CP932 form
    EXPECT_FALSE(PathToCp932("/tmp/\xFF\xFE.txt", &cp932));       // not UTF-8
    EXPECT_EQ(cp932, "unchanged");
}

TEST(ComdlgChosenPath, NameAndExtensionOffsetsSkipNoDoubleByteCharacter) {
    size_t name = 0, extension = 0;
    // 表 is 95 5C: its second byte is a backslash, never a separator here.
    NameOffsets("/tmp/\x95\x5C.txt", &name, &extension);
    EXPECT_EQ(name, 5u);
    EXPECT_EQ(extension, 8u);
    NameOffsets("/tmp/v1.2/notes", &name, &extension);
    EXPECT_EQ(name, 10u);
    EXPECT_EQ(extension, 15u);  // none: the end
    NameOffsets("notes.txt", &name, &extension);
    EXPECT_EQ(name, 0u);
    EXPECT_EQ(extension, 6u);
}

FileRequest SaveRequest() {
    FileRequest r;
    r.save = true;
    r.confirmOverwrite = true;
    r.title = "Save the log";
    r.filters = {{"Text (*.txt)", {"*.txt"}}, {"Logs | old", {"*.log", "*.old"}}};
    r.currentFilter = 1;
    r.folder = "/tmp/out";
    r.name = "notes";
    r.ownerWindow = 0x2a00007;
    return r;
}

TEST(ComdlgCommandLines, ZenitySavesWithItsOwnConfirmationAndTheCurrentFilterFirst) {
    EXPECT_EQ(ChooserArguments(ChooserTool::Zenity, SaveRequest()),
              (Strings{"--file-selection", "--save", "--confirm-overwrite", "--title=Save the log",
                       "--filename=/tmp/out/notes", "--file-filter=Logs / old | *.log *.old",
                       "--file-filter=Text (*.txt) | *.txt", "--attach=44040199", "--modal"}));
    FileRequest open;
    open.filters = {{"Text (*.txt)", {"*.txt"}}};
    EXPECT_EQ(ChooserArguments(ChooserTool::Zenity, open),
              (Strings{"--file-selection", "--file-filter=Text (*.txt) | *.txt"}));
    open.folder = "/tmp/in";
    EXPECT_EQ(ChooserArguments(ChooserTool::Zenity, open)[1], "--filename=/tmp/in/");
}

TEST(ComdlgCommandLines, KdialogTakesAStartPathAndKdeFilterLines) {
    EXPECT_EQ(ChooserArguments(ChooserTool::Kdialog, SaveRequest()),
              (Strings{"--title", "Save the log", "--attach", "44040199", "--getsavefilename", "/tmp/out/notes",
                       "*.log *.old|Logs / old\n*.txt|Text (*.txt)"}));
    FileRequest open;
    const Strings args = ChooserArguments(ChooserTool::Kdialog, open);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], "--getopenfilename");
    // No folder given: the working directory, as the other choosers start there.
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(args[1], std::string(cwd) + "/");
}

}  // namespace
