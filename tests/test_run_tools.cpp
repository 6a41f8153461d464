// The test run's own tools: the display wrapper and the check that a run leaves no
// process behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/test_support.h"

namespace {

const std::string kTools = std::string(NOL_SOURCE_DIR) + "/tools/";

std::string UniqueTag(const char* what) {
    return std::string("nol-tools-test-") + what + "-" + std::to_string(getpid());
}

TEST(LeftoverProcesses, NamesAndEndsAProcessThatOutlivedItsParent) {
    const std::string tag = UniqueTag("orphan");
    // The subshell ends at once, so the sleep is handed to init: only its
    // environment still ties it to the run.
    ProcessResult r = RunProcess("/bin/sh", {"-c", "(sleep 300 &); exec \"$0\" \"$NOL_RUN_TAG\"",
                                             kTools + "leftover_processes.sh"},
                                 {"NOL_RUN_TAG=" + tag}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("sleep 300"), std::string::npos) << r.err;

    // It was ended too: a second look finds nothing, and says nothing.
    r = RunProcess(kTools + "leftover_processes.sh", {tag}, {}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST(LeftoverProcesses, ProcessesOfAnotherRunAreNotItsBusiness) {
    const std::string mine = UniqueTag("mine"), theirs = UniqueTag("theirs");
    const int other = StartProcess("/bin/sleep", {"300"}, {"NOL_RUN_TAG=" + theirs});
    ASSERT_GT(other, 0);
    ProcessResult r = RunProcess(kTools + "leftover_processes.sh", {mine}, {"NOL_RUN_TAG=" + mine}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(waitpid(other, nullptr, WNOHANG), 0) << "the other run's process was ended";
    r = RunProcess(kTools + "leftover_processes.sh", {theirs}, {}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 1);
    waitpid(other, nullptr, 0);
}

TEST(WithXvfb, RunsTheCommandOnADisplayOfItsOwnAndStopsItAfterwards) {
    const std::string tag = UniqueTag("xvfb");
    ProcessResult r = RunProcess(kTools + "with_xvfb.sh", {"/bin/sh", "-c", "echo \"$DISPLAY\"; exit 7"},
                                 {"DISPLAY=", "NOL_RUN_TAG=" + tag}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 7) << r.err;  // the command's own status
    EXPECT_EQ(r.out.rfind(":", 0), 0u) << r.out;
    EXPECT_NE(r.out, ":\n");
    r = RunProcess(kTools + "leftover_processes.sh", {tag}, {}, ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 0) << "the Xvfb is still running:\n" << r.err;
}

TEST(WithXvfb, AGivenDisplayIsUsedAsItIs) {
    ProcessResult r = RunProcess(kTools + "with_xvfb.sh", {"/bin/sh", "-c", "echo \"$DISPLAY\""}, {"DISPLAY=:4242"},
                                 ScaledMs(30000));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, ":4242\n");
}

}  // namespace
