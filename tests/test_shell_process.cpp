// Whole-program behaviour of the shell: the framework with a scripted game, run as
// separate processes.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// Every run gets its own lock directory and display, so tests never see each
// other's copies or windows (or a game the developer is running).
class ShellProcess : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;
    std::string program;
    std::vector<std::string> env;

    void SetUp() override {
        program = dir.File("probe");
        CopyFile(NOL_PROGRAM_shell_probe, program);
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        env = {"XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok", display.Env()};
    }

    ProcessResult Run(std::vector<std::string> args, std::vector<std::string> extraEnv = {}) {
        std::vector<std::string> e;
        auto name = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
        for (const auto& entry : env) {
            bool overridden = false;
            for (const auto& x : extraEnv) overridden |= name(x) == name(entry);
            if (!overridden) e.push_back(entry);
        }
        e.insert(e.end(), extraEnv.begin(), extraEnv.end());
        return RunProcess(program, args, e, ScaledMs(30000), dir.path);
    }

    int Frames(const std::string& out) {
        int n = 0;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("frame ", 0) == 0) ++n;
        return n;
    }

    // The probe's "frame <n> <ms>" lines: the time of each frame, in order.
    std::vector<double> FrameTimes(const std::string& out) {
        std::vector<double> times;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            int n;
            double t;
            if (std::sscanf(line.c_str(), "frame %d %lf", &n, &t) == 2) times.push_back(t);
        }
        return times;
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
    return lines;
}

TEST_F(ShellProcess, DebugFileOpensWithFiveLinesInCp932AndAppendsOnTheNextRun) {
    auto r = Run({"-dbf"}, {"PROBE_ESC_AT=3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The single-instance line is written before the file is chosen.
    EXPECT_NE(r.err.find(reinterpret_cast<const char*>(u8"多重起動を禁止します.\n")), std::string::npos);

    std::string log = ReadFile(dir.File("debug.txt"));
    auto lines = Lines(log);
    ASSERT_GE(lines.size(), 5u) << log;
    EXPECT_EQ(lines[0], "----------------------------------------\n");
    EXPECT_EQ(lines[1], "InitDebugStream\n");
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d\n"))) << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex("OS = ID 2 ver,\\d+\\.\\d+ build \\d+\n"))) << lines[3];
    // "利用可能／搭載メモリ = " in Shift-JIS, byte for byte.
    const std::string memory = "\x97\x98\x97\x70\x89\xC2\x94\x5C\x81\x5E\x93\x8B\x8D\xDA\x83\x81\x83\x82\x83\x8A = ";
    ASSERT_EQ(lines[4].rfind(memory, 0), 0u) << lines[4];
    int available = 0, total = 0;
    ASSERT_EQ(std::sscanf(lines[4].c_str() + memory.size(), "%d/%d MB", &available, &total), 2);
    EXPECT_GT(total, 0);
    EXPECT_LE(available, total);
    EXPECT_EQ(log.find('\r'), std::string::npos);

    // Nothing was written to the working directory's neighbours or elsewhere.
    auto second = Run({"-dbf"}, {"PROBE_ESC_AT=2"});
    ASSERT_EQ(second.exitCode, 0);
    std::string both = ReadFile(dir.File("debug.txt"));
    ASSERT_EQ(both.rfind(log, 0), 0u);  // the first run's lines are kept
    EXPECT_EQ(both.substr(log.size(), 41), "----------------------------------------\n");
}

TEST_F(ShellProcess, WithoutTheSwitchNoFileIsWritten) {
    auto r = Run({"-DBF", "--dbf"}, {"PROBE_ESC_AT=2"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_FALSE(FileExists(dir.File("debug.txt")));
    EXPECT_NE(r.err.find("InitDebugStream\n"), std::string::npos);
}

TEST_F(ShellProcess, AnUnwritableLogFileDropsLinesAndTheProgramStillRuns) {
    mkdir(dir.File("debug.txt").c_str(), 0755);  // a directory cannot be appended to
    auto r = Run({"-dbf"}, {"PROBE_ESC_AT=3"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(Frames(r.out), 3);
}

TEST_F(ShellProcess, TheCloseKeyEndsTheProgramThroughTheQuitMessage) {
    auto r = Run({}, {"PROBE_ESC_AT=5"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The frame that reads Esc still runs to its end; the loop ends after it.
    EXPECT_EQ(Frames(r.out), 5);
    EXPECT_NE(r.out.find("GameStart\n"), std::string::npos);
    EXPECT_NE(r.out.find("GameEnd\n"), std::string::npos);
}

TEST_F(ShellProcess, ASecondCopyIsRefusedUntilTheFirstDies) {
    int first = StartProcess(program, {}, env, dir.path);
    ASSERT_GT(first, 0);
    // Give the first copy time to take the guard.
    for (int i = 0; i < 100 && !FileExists(dir.File("nol mutex.lock")); ++i) usleep(20000);
    usleep(300000);

    auto second = Run({}, {"PROBE_ESC_AT=2"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_NE(second.err.find(reinterpret_cast<const char*>(u8"このプログラムは既に起動しています.")),
              std::string::npos)
        << second.err;
    EXPECT_EQ(second.out.find("GameStart"), std::string::npos);  // no game hook ran
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0);              // the first is unaffected

    // Killed while holding the guard: the next copy runs normally.
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    auto third = Run({}, {"PROBE_ESC_AT=2"});
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_NE(third.out.find("GameStart"), std::string::npos);
}

TEST_F(ShellProcess, SigtermAndSigintCloseTheWindowAndExitWithZero) {
    for (int sig : {SIGTERM, SIGINT}) {
        int outPipe[2];
        ASSERT_EQ(pipe(outPipe), 0);
        // Run with a pipe for stdout so we can see the game end.
        pid_t pid = fork();
        if (pid == 0) {
            dup2(outPipe[1], 1);
            close(outPipe[0]);
            for (auto& e : env) putenv(strdup(e.c_str()));
            execl(program.c_str(), program.c_str(), (char*)nullptr);
            _exit(127);
        }
        close(outPipe[1]);
        // The signal comes once the loop is running (six frames), however long
        // start-up took on a busy machine.
        std::string out;
        char buf[4096];
        ssize_t n;
        pollfd pfd{outPipe[0], POLLIN, 0};
        for (int waited = 0; Frames(out) < 6 && waited < ScaledMs(15000); waited += 20)
            if (poll(&pfd, 1, 20) > 0 && (n = read(outPipe[0], buf, sizeof buf)) > 0) out.append(buf, n);
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        while ((n = read(outPipe[0], buf, sizeof buf)) > 0) out.append(buf, n);
        close(outPipe[0]);
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << sig;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_NE(out.find("GameEnd"), std::string::npos) << "signal " << sig;
        EXPECT_GT(Frames(out), 5);
    }
}

TEST_F(ShellProcess, WithoutADisplayStartUpEndsWithZeroAndAReason) {
    auto r = Run({}, {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER="});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.out.find("GameStart"), std::string::npos);
    EXPECT_NE(r.err.find("SDL: "), std::string::npos) << r.err;
}

TEST_F(ShellProcess, AnInactiveWindowRunsNoFramesUntilItIsActiveAgain) {
    auto r = Run({"-dbf"}, {"PROBE_BLUR_AT=4", "PROBE_BLUR_MS=400", "PROBE_ESC_AT=8"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<double> times = FrameTimes(r.out);
    ASSERT_EQ(times.size(), 8u);
    EXPECT_GE(times[3] - times[2], 390.0);  // no frame while inactive
    EXPECT_LT(times[2] - times[1], ScaledMs(150));  // an ordinary frame, with room for a busy machine
    std::string log = ReadFile(dir.File("debug.txt"));
    EXPECT_NE(log.find("<\x94\xF1\x83\x41\x83\x4E\x83\x65\x83\x42\x83\x75>\n"), std::string::npos);  // <非アクティブ>
}

// Frame k starts on the grid first + k * 33.3 ms: never before it, and behind it
// only while the machine is slow, after which the frames catch up. A frame that
// falls four frames behind makes the pacer give up its grid, on purpose; that is
// the machine stalling (on a loaded machine, for half a second at times), not the
// pacer, so such a run is repeated rather than measured.
TEST_F(ShellProcess, HoldsThirtyFramesPerSecond) {
    const double frameMs = 1000.0 / 30;
    std::string stalls;
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto r = Run({}, {"PROBE_ESC_AT=61", "PROBE_SLEEP_MS=5"});  // 61 frames, 60 intervals
        ASSERT_EQ(r.exitCode, 0);
        const std::vector<double> times = FrameTimes(r.out);
        ASSERT_EQ(times.size(), 61u);
        // Each frame's distance behind the grid, measured from the frame that
        // kept it best.
        std::vector<double> behind;
        for (size_t k = 0; k < times.size(); ++k) behind.push_back(times[k] - k * frameMs);
        const double grid = *std::min_element(behind.begin(), behind.end());
        for (double& b : behind) b -= grid;
        const double worst = *std::max_element(behind.begin(), behind.end());
        if (worst >= 3 * frameMs) {
            stalls += " " + std::to_string((int)worst) + " ms";
            continue;
        }
        // The drift from the best-kept of the first ten frames to the best-kept of
        // the last ten (one frame delayed at either end says nothing of the pace).
        const double drift = *std::min_element(behind.end() - 10, behind.end()) -
                             *std::min_element(behind.begin(), behind.begin() + 10);
        const double rate = 60 * 1000.0 / (60 * frameMs + drift);
        EXPECT_NEAR(rate, 30.0, 0.6) << "frames drifted " << drift << " ms behind their time";
        return;
    }
    ADD_FAILURE() << "in every run a frame fell far behind its time (a stalled machine, or a pacer that "
                     "drifts); the worst of each run:" << stalls;
}

}  // namespace
