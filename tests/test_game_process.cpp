// The real program with the game: started in a folder holding "data", ended by
// SIGTERM as a window manager's close would, its log read back.
#include <sys/stat.h>
#include <unistd.h>

#include "display_required.h"
#include "game_fixture.h"
#include "played_game.h"

namespace {

// The scripts' pauses, longer where programs run slower (NOL_TIME_SCALE).
std::string ScaleEnv() { return "S=" + std::to_string(TimeScale()); }
constexpr const char* kPause = "pause() { sleep \"$(awk \"BEGIN { print $1 * $S }\")\"; }\n";

TEST(GameProcess, StartsTheTitleAndReleasesTheGameAfterTheShutdown) {
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    const std::string program = dir.File("nolrace");
    CopyFile(NOL_GAME_PROGRAM, program);
    ASSERT_EQ(mkdir(dir.File("data").c_str(), 0755), 0);
    gamedata::WriteAll(dir.File("data"));
    // Two seconds of title screen, then the close that SIGTERM stands for.
    const std::string script = std::string(kPause) + "\"$0\" -win -dbf & p=$!; pause 2; kill -TERM $p; wait $p";
    const ProcessResult r = RunProcess("/bin/sh", {"-c", script, program},
                                       {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                        "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none", ScaleEnv()},
                                       ScaledMs(30000), dir.path);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string log = ReadFile(dir.File("debug.txt"));
    EXPECT_NE(log.find("load(opentitle.x) ... ok."), std::string::npos) << log;
    EXPECT_NE(log.find("load(ambient.mid)"), std::string::npos) << log;
    // The game's objects outlive the shell's shutdown.
    const size_t freed = log.find("FreeDirect3D");
    const size_t released = log.find("release(opentitle.x)");
    ASSERT_NE(freed, std::string::npos) << log;
    ASSERT_NE(released, std::string::npos) << log;
    EXPECT_GT(released, freed);
}

}  // namespace

namespace {

// Keys through the X server (xdotool's XTEST), the way a player's keyboard
// reaches the program: Enter starts course 1, Z drives, Q goes back, Right and
// Enter start course 2, Esc ends the program.
TEST(GameProcess, KeysThroughTheXServerPlayTheGame) {
    PlayedGame game;
    game.SetUp();
    if (testing::Test::IsSkipped() || testing::Test::HasFatalFailure()) return;
    const TempDir& dir = game.dir;
    // The game reads the keyboard once a frame, so each key stays down a while; a
    // key that starts a course is held until the course is loading, since on a
    // busy machine one frame can outlast any fixed press.
    const ProcessResult r = game.Play(R"sh(
press() { xdotool keydown $1; pause 0.3; xdotool keyup $1; pause 0.5; }
xdotool keydown Return; logged "load(hf_tex72.bmp)"; xdotool keyup Return; pause 0.5
xdotool keydown z; pause 2; xdotool keyup z
press q; press Right
xdotool keydown Return; logged "load(course1st@5.x)"; xdotool keyup Return; pause 1
press Escape
wait $game)sh");
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string log = ReadFile(dir.File("debug.txt"));
    const size_t course1 = log.find("load(hf_tex72.bmp) ... ok.");
    const size_t course2 = log.find("load(course1st@5.x) ... ok.");
    EXPECT_NE(course1, std::string::npos) << log;
    EXPECT_NE(course2, std::string::npos) << log;
    EXPECT_LT(course1, course2);
    EXPECT_NE(log.find("load(ambient.mid) ... ok."), std::string::npos);
    EXPECT_NE(log.find("FreeDirect3D"), std::string::npos);
}

}  // namespace
