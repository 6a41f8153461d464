// The file dialogs' tests run where the test says which choosers exist: PATH is a
// folder holding only the fake zenity and kdialog it installs, and there is no
// session bus unless the test starts one.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "comdlg/commdlg.h"
#include "tests/fake_chooser.h"

namespace comdlgtest {

// "Text (*.txt)", "*.txt" and "All files", "*.*".
inline const char kTextFilter[] = "Text (*.txt)\0*.txt\0All files\0*.*\0";

class ChooserTest : public ::testing::Test {
protected:
    FakeChoosers choosers;
    TempDir files;  // where the chosen files are
    ScopedEnv path{"PATH", choosers.bin.path.c_str()};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", files.path.c_str()};  // no bus socket there either

    // A request for buffer with the text filter; flags and the rest as the test sets.
    static OPENFILENAMEA Dialog(char* buffer, DWORD size, DWORD flags = 0) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = kTextFilter;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = size;
        ofn.Flags = flags;
        ofn.lpstrDefExt = "txt";
        return ofn;
    }

    void Touch(const std::string& name) const { std::ofstream(files.File(name)) << "x"; }
};

}  // namespace comdlgtest
