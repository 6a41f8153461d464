// The real program played with a pad: a virtual pad inside the program (no test
// can plug one into another process, and this machine offers no /dev/uinput),
// driven through the lines the test appends to the file NOL_TEST_PAD names. The
// pad takes SDL's path from there on: plugged in, read through XInput by the
// framework's input, pulled out mid-race and plugged in again.
#include <fstream>

#include "played_game.h"

namespace {

class GamePadProcess : public testing::Test {
protected:
    void SetUp() override { game.SetUp(); }
    PlayedGame game;
};

// Right, right (course 3 is the last), left and A start course 2; the pad comes
// and goes mid-race; Back, left and Start start course 1.
TEST_F(GamePadProcess, PadButtonsPickAndStartCoursesAndThePadComesAndGoesMidRace) {
    const TempDir& dir = game.dir;
    // There before the program first reads the pad, which opens it.
    std::ofstream(dir.File("pad.txt")).close();
    // A button that starts a course is held until the course is loading, since on
    // a busy machine one frame can outlast any fixed press.
    const ProcessResult r = game.Play(R"sh(
pad() { echo "$*" >> pad.txt; }
press() { pad $1 1; pause 0.3; pad $1 0; pause 0.5; }
pad attach; logged "pad[0] connected" || { kill $game; exit 5; }
press dpright; press dpright; press dpleft
pad a 1; logged "load(course1st@5.x)" || { kill $game; exit 6; }; pad a 0; pause 0.5
pad righttrigger 32767; pad leftx -32768; pause 1
pad detach; logged "pad[0] disconnected" || { kill $game; exit 7; }; pause 1
pad attach; logged "pad[0] connected" 2 || { kill $game; exit 8; }
press back; press dpleft
pad start 1; logged "load(hf_tex72.bmp)" || { kill $game; exit 9; }; pad start 0; pause 1
pad nonsense 1; pause 1
kill -TERM $game; wait $game)sh",
                                      {"NOL_TEST_PAD=" + dir.File("pad.txt")});
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
    // The one line the pad cannot carry out is logged (the platform's lines go to
    // the program's log), and the program ends normally.
    const size_t refused = log.find("NOL_TEST_PAD: cannot do \"nonsense 1\"");
    EXPECT_NE(refused, std::string::npos) << log;
    EXPECT_EQ(log.find("NOL_TEST_PAD"), refused) << log;
    EXPECT_NE(log.find("FreeDirect3D"), std::string::npos) << log;
}

}  // namespace
