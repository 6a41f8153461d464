// The music set-up and shutdown in the whole program's log: in their places in the
// start-up and shutdown order, with the separator before each name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

TEST(ShellMusicLog, MusicStartsAfterSoundAndStopsBeforeIt) {
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    std::string program = dir.File("probe");
    CopyFile(NOL_PROGRAM_shell_probe, program);
    auto r = RunProcess(program, {"-dbf", "-win"},
                        {"XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok", display.Env(),
                         "PROBE_ESC_AT=3"},
                        ScaledMs(30000), dir.path);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string log = ReadFile(dir.File("debug.txt"));
    const std::string sep = "----------------------------------------\n";
    // Each step's lines, in this order; the file is in CP932 like these literals.
    const std::vector<std::string> steps = {
        sep + "InitDirectInput\n", sep + "InitDirectSound\n", "3Dサウンド = ON\n", "エフェクト = ON\n",
        sep + "InitDirectMusic\n", sep + "FreeDirectMusic\n", sep + "FreeDirectSound\n",
        sep + "FreeInput\n",       sep + "FreeDirect3D\n",
    };
    size_t at = 0;
    for (const std::string& step : steps) {
        size_t found = log.find(step, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << step << "\n" << log;
        at = found + step.size();
    }
}

}  // namespace
