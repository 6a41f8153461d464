// The sound device's place in the whole program's start-up and shutdown, and its
// two switches, read from the debug log of real runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

class SoundProcess : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;
    std::string program;

    void SetUp() override {
        program = dir.File("probe");
        CopyFile(NOL_PROGRAM_shell_probe, program);
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    }

    // The debug log of one run that ends itself after two frames.
    std::string RunLog(std::vector<std::string> args) {
        args.push_back("-dbf");
        std::remove(dir.File("debug.txt").c_str());
        auto r = RunProcess(program, args,
                            {"XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok", display.Env(), "PROBE_ESC_AT=2"},
                            ScaledMs(30000), dir.path);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return ReadFile(dir.File("debug.txt"));
    }
};

size_t Find(const std::string& log, const std::string& what, size_t from = 0) {
    size_t at = log.find(what, from);
    EXPECT_NE(at, std::string::npos) << "missing: " << what << "\nin:\n" << log;
    return at;
}

TEST_F(SoundProcess, SoundStartsAfterInputAndStopsBeforeIt) {
    const std::string separator = "----------------------------------------\n";
    std::string log = RunLog({});
    size_t input = Find(log, separator + "InitDirectInput\n");
    size_t sound = Find(log, separator + "InitDirectSound\n");
    // The switch lines follow the name, each a line of its own.
    size_t threeD = Find(log, "3Dサウンド = ON\n", sound);
    size_t effects = Find(log, "エフェクト = ON\n", threeD);
    size_t freeSound = Find(log, separator + "FreeDirectSound\n", effects);
    size_t freeInput = Find(log, separator + "FreeInput\n");
    EXPECT_LT(input, sound);
    EXPECT_LT(freeSound, freeInput);
    EXPECT_EQ(log.find("エラー"), std::string::npos);
}

TEST_F(SoundProcess, SwitchesTurn3DSoundAndEffectsOff) {
    std::string log = RunLog({"/3ds"});
    Find(log, "3Dサウンド = OFF\n");
    Find(log, "エフェクト = ON\n");
    log = RunLog({"/fx", "/3DS"});
    Find(log, "3Dサウンド = ON\n");
    Find(log, "エフェクト = OFF\n");
}

}  // namespace
