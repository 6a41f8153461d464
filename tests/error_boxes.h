// The error boxes a subsystem's start shows: answered at once, and their texts
// kept, each checked for the caption and style every such box has.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/windows.h"

inline std::vector<std::string> shownBoxes;

// For NolSetMessageBoxAnswerer.
inline int RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    EXPECT_STREQ(caption, "エラー");
    EXPECT_EQ(type, (UINT)MB_SYSTEMMODAL);
    shownBoxes.push_back(text);
    return IDOK;
}
