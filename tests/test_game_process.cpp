// The real program with the game: started in a folder holding "data", ended by
// SIGTERM as a window manager's close would, its log read back.
#include <sys/stat.h>

#include "game_fixture.h"

namespace {

TEST(GameProcess, StartsTheTitleAndReleasesTheGameAfterTheShutdown) {
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    const std::string program = dir.File("nolrace");
    CopyFile(NOL_GAME_PROGRAM, program);
    ASSERT_EQ(mkdir(dir.File("data").c_str(), 0755), 0);
    gamedata::WriteAll(dir.File("data"));
    // Two seconds of title screen, then the close that SIGTERM stands for.
    const std::string script = "\"$0\" -win -dbf & p=$!; sleep 2; kill -TERM $p; wait $p";
    const ProcessResult r = RunProcess("/bin/sh", {"-c", script, program},
                                       {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                        "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none"},
                                       30000, dir.path);
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
