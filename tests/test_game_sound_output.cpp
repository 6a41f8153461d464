// The whole game on a PulseAudio server that dies and comes back mid-play: the
// program keeps running, logs the loss once, and its music is heard again from
// the server's sink without a restart.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "display_required.h"
#include "pulse_server.h"

namespace {

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

bool Running(int pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// Polls the recording every 50 ms for up to ms; true once it is audible.
bool HeardWithin(const PulseServer::Recording& recording, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (recording.RecentRms(100) > 0.002) return true;
        usleep(50000);
    }
    return false;
}

TEST(GameSoundOutput, TheMusicComesBackWhenTheSoundServerDoes) {
    if (!NolToolInstalled("/usr/bin/pulseaudio") || !NolToolInstalled("/usr/bin/parec"))
        NOL_SKIP_OR_FAIL("pulseaudio and parec (pulseaudio, pulseaudio-utils) are not installed");
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    PulseServer pulse;
    pulse.ConfigureClients();
    ASSERT_TRUE(pulse.Start());

    TempDir dir;
    CopyFile(NOL_GAME_PROGRAM, dir.File("nolrace"));
    ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
    // Its terminal output is kept: OpenAL Soft's own lines must not be in it.
    ChildProcess game(StartProcess("/bin/sh", {"-c", "exec \"$0\" -win -dbf 2> stderr.txt", dir.File("nolrace")},
                                   {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                    "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=pulse"},
                                   dir.path));
    const std::string log = dir.File("debug.txt");
    ASSERT_TRUE(WaitForText(log, "load(ambient.mid)", ScaledMs(20000))) << ReadFile(log);
    {
        PulseServer::Recording heard(pulse, pulse.File("before.raw"));
        EXPECT_TRUE(HeardWithin(heard, ScaledMs(5000))) << "the music never reached the sink";
    }

    pulse.Kill();
    EXPECT_TRUE(WaitForText(log, "sound output lost", 3000)) << ReadFile(log);
    usleep(1000000);
    EXPECT_TRUE(Running(game.pid)) << "the game ended with its sound server";

    ASSERT_TRUE(pulse.Start());
    {
        PulseServer::Recording heard(pulse, pulse.File("after.raw"));
        EXPECT_TRUE(HeardWithin(heard, 3000)) << "the sink stayed silent after the server came back";
    }
    EXPECT_TRUE(WaitForText(log, "sound output is back", 1000)) << ReadFile(log);
    EXPECT_TRUE(Running(game.pid));

    kill(game.pid, SIGTERM);
    EXPECT_EQ(game.ExitCode(ScaledMs(10000)), 0);
    const std::string text = ReadFile(log);
    EXPECT_EQ(Count(text, "sound output lost"), 1) << text;
    const std::string printed = ReadFile(dir.File("stderr.txt"));
    EXPECT_EQ(Count(printed, "AL lib"), 0) << printed;
    EXPECT_EQ(Count(printed, "ALSA lib"), 0) << printed;
}

}  // namespace
