// Whole-program behaviour when the display goes away under a running program: it
// must end promptly, say why, and exit with a failure code, instead of hanging in
// a shutdown that waits on the dead connection.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

long long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

class DisplayLoss : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;  // this test's own Xvfb, which it kills

    // Starts program on the private display with its output in files, waits until
    // ready appears in the file named by readyIn, then kills the X server and
    // gives the program two seconds to end.
    void RunAndPullTheDisplay(const std::string& original, const std::vector<std::string>& args,
                              const std::string& readyIn, const std::string& ready,
                              const std::vector<std::string>& extraEnv = {}) {
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        std::string program = dir.File("program");
        CopyFile(original, program);
        std::string script = "exec \"$0\" \"$@\" >" + dir.File("out") + " 2>" + dir.File("err");
        std::vector<std::string> shArgs = {"-c", script, program};
        shArgs.insert(shArgs.end(), args.begin(), args.end());
        ChildProcess child;
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                        display.Env(), "SDL_VIDEODRIVER=x11"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        child.pid = StartProcess("/bin/sh", shArgs, env, dir.path);
        ASSERT_GT(child.pid, 0);
        ASSERT_TRUE(WaitForText(dir.File(readyIn), ready, ScaledMs(15000)))
            << "the program never got going:\n" << ReadFile(dir.File("err"));
        usleep(300000);  // a few frames more

        kill(display.pid, SIGKILL);
        waitpid(display.pid, nullptr, 0);
        display.pid = -1;
        long long pulled = NowMs();

        bool ended = child.WaitFor(ScaledMs(2000));
        elapsedMs = NowMs() - pulled;
        ASSERT_TRUE(ended) << "still running " << elapsedMs << " ms after the display went away";
        exited = WIFEXITED(child.status);
        exitCode = exited ? WEXITSTATUS(child.status) : -1;
        err = ReadFile(dir.File("err"));
    }

    long long elapsedMs = 0;
    bool exited = false;
    int exitCode = -1;
    std::string err;
};

TEST_F(DisplayLoss, TheShellEndsWithinASecondSayingWhyAndStillRunsItsShutdown) {
    RunAndPullTheDisplay(NOL_PROGRAM_shell_probe, {"-dbf"}, "out", "frame 5 ");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(exited) << "ended by a signal instead of exiting";
    EXPECT_NE(exitCode, 0);
    EXPECT_LT(elapsedMs, ScaledMs(1500));
    EXPECT_NE(err.find("display connection lost"), std::string::npos) << err;

    // The shutdown ran in its order, and was logged where the log goes.
    std::string log = ReadFile(dir.File("debug.txt"));
    size_t lost = log.find("display connection lost");
    size_t input = log.find("FreeInput\n");
    size_t direct3d = log.find("FreeDirect3D\n");
    ASSERT_NE(lost, std::string::npos) << log;
    EXPECT_NE(input, std::string::npos) << log;
    EXPECT_NE(direct3d, std::string::npos) << log;
    EXPECT_LT(lost, input);
    EXPECT_LT(input, direct3d);
}

TEST_F(DisplayLoss, AShutdownThatHangsIsCutShort) {
    RunAndPullTheDisplay(NOL_PROGRAM_shell_probe, {}, "out", "frame 5 ", {"PROBE_HANG_AT_EXIT=1"});
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(exited) << "ended by a signal instead of exiting";
    EXPECT_NE(exitCode, 0);
    EXPECT_LT(elapsedMs, ScaledMs(1500));
    EXPECT_NE(err.find("display connection lost"), std::string::npos) << err;
}

TEST_F(DisplayLoss, TheGameInAWindowEndsTheSameWay) {
    RunAndPullTheDisplay(NOL_GAME_PROGRAM, {"-win"}, "err", "InitDirectInput");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(exited) << "ended by a signal instead of exiting";
    EXPECT_NE(exitCode, 0);
    EXPECT_LT(elapsedMs, ScaledMs(1500));
    EXPECT_NE(err.find("display connection lost"), std::string::npos) << err;
}

// Full screen is the case that waited longest: leaving it waits for the server.
TEST_F(DisplayLoss, TheGameInFullScreenEndsTheSameWay) {
    RunAndPullTheDisplay(NOL_GAME_PROGRAM, {}, "err", "InitDirectInput");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(exited) << "ended by a signal instead of exiting";
    EXPECT_NE(exitCode, 0);
    EXPECT_LT(elapsedMs, ScaledMs(1500));
    EXPECT_NE(err.find("display connection lost"), std::string::npos) << err;
}

}  // namespace
