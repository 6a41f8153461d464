// What tells one program on the framework from another on the same desktop: the
// main window's class and the name of the single-instance guard. The entry point
// sets them before WinMain; the racing game keeps the defaults.
#pragma once

struct ProgramNames {
    const char* windowClass = "NOL_CLASS";
    const char* instanceName = "nol mutex";
};

// A null name keeps its default.
void SetProgramNames(const ProgramNames& names);
const ProgramNames& GetProgramNames();
