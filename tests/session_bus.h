// A D-Bus session bus of a test's own, and the fake file-chooser portal on it
// (tests/fake_portal.py). Both are stopped and reaped when the objects go, whatever
// happens to the test.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace comdlgtest {

constexpr const char* kPython = "/usr/bin/python3";

inline bool Executable(const char* path) { return access(path, X_OK) == 0; }

// dbus-daemon in the foreground on a socket in a folder of its own. Services whose
// files are put into ServiceDir() are started by the bus when first called.
struct PrivateSessionBus {
    TempDir dir;
    ChildProcess daemon;
    std::string address;  // empty when the daemon did not come up

    PrivateSessionBus() {
        std::ofstream(dir.File("bus.conf"))
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type>\n"
               "<listen>unix:path=" << dir.File("socket") << "</listen>\n"
               "<servicedir>" << ServiceDir() << "</servicedir>\n"
               "<auth>EXTERNAL</auth>\n"
               "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>\n"
               "</busconfig>\n";
        mkdir(ServiceDir().c_str(), 0700);
        daemon.pid = StartProcess("/usr/bin/dbus-daemon",
                                  {"--config-file=" + dir.File("bus.conf"), "--nofork", "--nopidfile"});
        for (int i = 0; i < ScaledMs(500) && daemon.pid > 0; ++i) {
            struct stat st;
            if (stat(dir.File("socket").c_str(), &st) == 0) {
                address = "unix:path=" + dir.File("socket");
                break;
            }
            usleep(10000);
        }
    }

    std::string ServiceDir() const { return dir.path + "/services"; }
};

// The fake portal, answering as `answer` says (see tests/fake_portal.py), every
// call it takes written as a JSON line to Record().
struct FakePortal {
    TempDir dir;
    ChildProcess process;

    // One the bus started is no child of the test's: ended by the pid it wrote.
    ~FakePortal() {
        const std::string record = ReadFile(Record());
        const size_t at = record.find("\"pid\": ");
        if (process.pid <= 0 && at != std::string::npos) kill(std::atoi(record.c_str() + at + 7), SIGKILL);
    }

    std::string Record() const { return dir.File("record.jsonl"); }

    std::vector<std::string> Arguments(const std::string& answer, const std::vector<std::string>& more) const {
        std::vector<std::string> args = {std::string(NOL_SOURCE_DIR) + "/tests/fake_portal.py", "--answer", answer,
                                         "--record", Record()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    // Started on the bus; true once it owns the portal's name.
    bool Start(const PrivateSessionBus& bus, const std::string& answer, const std::vector<std::string>& more = {}) {
        process.pid = StartProcess(kPython, Arguments(answer, more), {"DBUS_SESSION_BUS_ADDRESS=" + bus.address});
        return process.pid > 0 && WaitForText(Record(), "\"ready\"", ScaledMs(10000));
    }

    // Not started: a service file that has the bus start it on the first call.
    void MakeActivatable(const PrivateSessionBus& bus, const std::string& answer) const {
        std::string exec = kPython;
        for (const std::string& a : Arguments(answer, {})) exec += " " + a;
        std::ofstream(bus.ServiceDir() + "/org.freedesktop.portal.Desktop.service")
            << "[D-BUS Service]\nName=org.freedesktop.portal.Desktop\nExec=" << exec << "\n";
    }
};

}  // namespace comdlgtest
