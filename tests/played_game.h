// The real game played by a shell script, as a player would: started from a
// folder of its own where "data" names the generated data, on a private display,
// its window found and given the focus (frames run only while it is active; there
// is no window manager to do it). The script goes on from there with the game's
// process id in $game, its log in debug.txt, and pause (scaled by NOL_TIME_SCALE)
// and logged TEXT [COUNT] (waits until the log holds TEXT COUNT times; false after
// about 20 seconds) at hand.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "display_required.h"
#include "support/test_support.h"

struct PlayedGame {
    TempDir dir;
    PrivateDisplay display;

    // Fails (or skips, where a display is not required) without xdotool or Xvfb.
    void SetUp() {
        if (RunProcess("/bin/sh", {"-c", "command -v xdotool"}).exitCode != 0)
            NOL_SKIP_OR_FAIL("xdotool is not installed (apt-get install xdotool)");
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        CopyFile(NOL_GAME_PROGRAM, dir.File("nolrace"));
        ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
    }

    // Runs the script after the game's start; exits 3 or 4 when the window or the
    // title never comes.
    ProcessResult Play(const std::string& script, std::vector<std::string> env = {}) const {
        const std::string start = R"sh(
pause() { sleep "$(awk "BEGIN { print $1 * $S }")"; }
logged() { i=0; until [ "$(grep -cF "$1" debug.txt 2>/dev/null)" -ge "${2:-1}" ]; do i=$((i+1)); [ $i -gt 100 ] && return 1; pause 0.2; done; }
"$0" -win -dbf & game=$!
for i in $(seq 50); do w=$(xdotool search --pid $game 2>/dev/null | head -1); [ -n "$w" ] && break; pause 0.2; done
[ -n "$w" ] || { kill $game; exit 3; }
logged "load(opentitle.x)" || { kill $game; exit 4; }
xdotool windowfocus --sync $w; pause 1
)sh";
        env.insert(env.end(), {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                               "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none",
                               "S=" + std::to_string(TimeScale())});
        return RunProcess("/bin/sh", {"-c", start + script, dir.File("nolrace")}, env, ScaledMs(90000), dir.path);
    }
};
