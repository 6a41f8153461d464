// The real program played with a pad: a virtual pad inside the program (no test
// can plug one into another process, and this machine offers no /dev/uinput),
// driven through the lines the test appends to the file NOL_TEST_PAD names. The
// pad takes SDL's path from there on: plugged in, read through XInput by the
// framework's input, pulled out mid-race and plugged in again.
#include <unistd.h>

#include "display_required.h"
#include "support/test_support.h"

namespace {

std::string ScaleEnv() { return "S=" + std::to_string(TimeScale()); }

TEST(GamePadProcess, PadButtonsPickAndStartCoursesAndThePadComesAndGoesMidRace) {
    if (RunProcess("/bin/sh", {"-c", "command -v xdotool"}).exitCode != 0)
        NOL_SKIP_OR_FAIL("xdotool is not installed (apt-get install xdotool)");
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    const std::string program = dir.File("nolrace");
    CopyFile(NOL_GAME_PROGRAM, program);
    ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
    // Frames run only while the window is active: it is given the focus (there is
    // no window manager to do it). A button that starts a course is held until the
    // course is loading, since on a busy machine one frame can outlast any fixed
    // press.
    const std::string script = R"sh(
pause() { sleep "$(awk "BEGIN { print $1 * $S }")"; }
logged() { i=0; until [ "$(grep -cF "$1" debug.txt 2>/dev/null)" -ge "${2:-1}" ]; do i=$((i+1)); [ $i -gt 100 ] && return 1; pause 0.2; done; }
pad() { echo "$*" >> pad.txt; }
press() { pad $1 1; pause 0.3; pad $1 0; pause 0.5; }
: > pad.txt
"$0" -win -dbf & game=$!
for i in $(seq 50); do w=$(xdotool search --pid $game 2>/dev/null | head -1); [ -n "$w" ] && break; pause 0.2; done
[ -n "$w" ] || { kill $game; exit 3; }
logged "load(opentitle.x)" || { kill $game; exit 4; }
xdotool windowfocus --sync $w; pause 1
pad attach; logged "pad[0] connected" || { kill $game; exit 5; }
press dpright; press dpright; press dpleft
pad a 1; logged "load(course1st@5.x)" || { kill $game; exit 6; }; pad a 0; pause 0.5
pad righttrigger 32767; pad leftx -32768; pause 1
pad detach; logged "pad[0] disconnected" || { kill $game; exit 7; }; pause 1
pad attach; logged "pad[0] connected" 2 || { kill $game; exit 8; }
press back; press dpleft
pad start 1; logged "load(hf_tex72.bmp)" || { kill $game; exit 9; }; pad start 0; pause 1
pad nonsense 1; pause 1
kill -TERM $game; wait $game)sh";
    const ProcessResult r = RunProcess("/bin/sh", {"-c", script, program},
                                       {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                        "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none", ScaleEnv(),
                                        "NOL_TEST_PAD=" + dir.File("pad.txt")},
                                       ScaledMs(90000), dir.path);
    ASSERT_FALSE(r.timedOut);
    const std::string log = ReadFile(dir.File("debug.txt"));
    ASSERT_EQ(r.exitCode, 0) << r.err << log;
    // Right, right (still 3), left: course 2 is the one started. Back, left:
    // course 1.
    const size_t connected = log.find("pad[0] connected");
    const size_t course2 = log.find("load(course1st@5.x) ... ok.");
    const size_t course3 = log.find("load(green2nd.x)");
    const size_t pulled = log.find("pad[0] disconnected");
    const size_t again = log.find("pad[0] connected", pulled);
    const size_t course1 = log.find("load(hf_tex72.bmp) ... ok.");
    ASSERT_NE(connected, std::string::npos) << log;
    ASSERT_NE(course2, std::string::npos) << log;
    ASSERT_NE(pulled, std::string::npos) << log;
    ASSERT_NE(again, std::string::npos) << log;
    ASSERT_NE(course1, std::string::npos) << log;
    EXPECT_EQ(course3, std::string::npos) << log;
    EXPECT_LT(connected, course2);
    EXPECT_LT(course2, pulled);
    EXPECT_LT(again, course1);
    // A line the pad cannot carry out is logged, and the program ends normally.
    const std::string refused = "NOL_TEST_PAD: cannot do \"nonsense 1\"";
    EXPECT_TRUE(log.find(refused) != std::string::npos || r.err.find(refused) != std::string::npos) << log << r.err;
    EXPECT_NE(log.find("FreeDirect3D"), std::string::npos) << log;
}

}  // namespace
