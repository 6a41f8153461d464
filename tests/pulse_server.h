// A PulseAudio server of a test's own: a null sink in a private runtime
// directory, reached through its own socket, and recordings of what that sink
// plays (its monitor, through parec). Everything started here is killed and
// reaped by the destructors.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

inline bool NolToolInstalled(const char* path) { return access(path, X_OK) == 0; }

class PulseServer {
public:
    PulseServer() { mkdir(dir_.File("config").c_str(), 0700); }

    // The client environment that reaches this server and no other: no autospawn,
    // so a client never starts a server of its own when this one is down.
    void ConfigureClients() {
        std::ofstream(dir_.File("client.conf")) << "autospawn = no\n";
        setenv("PULSE_SERVER", Server().c_str(), 1);
        setenv("PULSE_CLIENTCONFIG", dir_.File("client.conf").c_str(), 1);
    }
    std::string Server() const { return "unix:" + Socket(); }

    // Starts the server (again, on the same socket) and waits until it answers.
    bool Start() {
        unlink(Socket().c_str());
        server_ = std::make_unique<ChildProcess>(StartProcess(
            "/usr/bin/pulseaudio",
            {"--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no",
             "--system=no", "--log-target=stderr", "--log-level=error",
             "--load=module-null-sink sink_name=nol rate=44100 channels=2",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket()},
            ServerEnv()));
        for (int i = 0; i < 100; ++i) {
            ProcessResult info = RunProcess("/usr/bin/pactl", {"info"},
                                            {"PULSE_SERVER=" + Server()}, 2000);
            if (info.exitCode == 0) return true;
            usleep(50000);
        }
        return false;
    }
    // Kills the server at once, as a crash would, and reaps it.
    void Kill() { server_.reset(); }

    // Records the sink's monitor (16-bit stereo, 44100 Hz) into a file of its own.
    class Recording {
    public:
        Recording(const PulseServer& server, const std::string& file) : file_(file) {
            std::string command = "exec /usr/bin/parec --device=nol.monitor --format=s16le "
                                  "--rate=44100 --channels=2 --latency-msec=20 > '" + file + "'";
            parec_ = std::make_unique<ChildProcess>(StartProcess(
                "/bin/sh", {"-c", command}, {"PULSE_SERVER=" + server.Server()}));
        }
        // RMS (0..1) of the last `ms` milliseconds recorded; 0 when not that much yet.
        double RecentRms(int ms) const {
            std::string pcm = ReadFile(file_);
            size_t frames = size_t(ms) * 44100 / 1000;
            size_t have = pcm.size() / 4;
            if (have < frames) return 0.0;
            const int16_t* s = reinterpret_cast<const int16_t*>(pcm.data()) + 2 * (have - frames);
            double sum = 0;
            for (size_t i = 0; i < 2 * frames; ++i) sum += double(s[i]) * s[i];
            return std::sqrt(sum / double(2 * frames)) / 32768.0;
        }

    private:
        std::string file_;
        std::unique_ptr<ChildProcess> parec_;
    };
    std::string File(const std::string& name) const { return dir_.File(name); }

private:
    std::string Socket() const { return dir_.File("native"); }
    // Its own runtime and configuration directories; no session bus, so that it
    // never launches one.
    std::vector<std::string> ServerEnv() const {
        return {"HOME=" + dir_.path, "XDG_RUNTIME_DIR=" + dir_.path,
                "XDG_CONFIG_HOME=" + dir_.File("config"),
                "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_.File("no-bus"), "DISPLAY="};
    }

    TempDir dir_;
    std::unique_ptr<ChildProcess> server_;
};
