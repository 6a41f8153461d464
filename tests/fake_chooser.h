// Stand-ins for zenity and kdialog: shell scripts of those names in a folder that
// the test makes the whole PATH. Each run writes its arguments (one a line) and
// its pid, then waits for the answer the test gives it: the line it prints and the
// status it exits with.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace comdlgtest {

// An environment variable set for the test's lifetime, then put back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

class FakeChoosers {
public:
    TempDir bin;   // the PATH
    TempDir runs;  // what each run leaves, and the answers it waits for

    void Install(const std::string& tool) {
        const std::string path = bin.File(tool);
        const std::string base = runs.path + "/" + tool;
        std::ofstream script(path);
        script << "#!/bin/sh\nPATH=/usr/bin:/bin\n"
               << "n=$(ls -d " << base << ".run* 2>/dev/null | wc -l)\n"
               << "n=$((n + 1)); run=" << base << ".run$n; answer=" << base << ".answer$n\n"
               << "mkdir \"$run\"\n"
               << "echo $$ > \"$run/pid\"\n"
               << "printf '%s\\n' \"$@\" > \"$run/args.tmp\" && mv \"$run/args.tmp\" \"$run/args\"\n"
               << "while [ ! -e \"$answer/status\" ]; do sleep 0.02; done\n"
               << "cat \"$answer/line\"\nexit $(cat \"$answer/status\")\n";
        script.close();
        chmod(path.c_str(), 0755);
    }

    // The answer of run n (1 for the first), given before or while it runs: the
    // line it prints and the status it exits with.
    void Answer(const std::string& tool, int n, const std::string& line, int status) const {
        const std::string answer = runs.path + "/" + tool + ".answer" + std::to_string(n);
        mkdir(answer.c_str(), 0700);
        std::ofstream(answer + "/line") << line << "\n";
        std::ofstream(answer + "/status.tmp") << status << "\n";
        std::rename((answer + "/status.tmp").c_str(), (answer + "/status").c_str());
    }

    std::string Run(const std::string& tool, int n = 1) const {
        return runs.path + "/" + tool + ".run" + std::to_string(n);
    }

    bool Started(const std::string& tool, int n = 1) const { return FileExists(Run(tool, n) + "/pid"); }

    // The arguments of run n once it has started; empty when it did not within
    // the time.
    std::vector<std::string> Arguments(const std::string& tool, int n = 1, int timeoutMs = 10000) const {
        std::vector<std::string> args;
        const std::string file = Run(tool, n) + "/args";
        for (int waited = 0; waited < ScaledMs(timeoutMs) && !FileExists(file); waited += 10) usleep(10000);
        std::string text = ReadFile(file);
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            args.push_back(text.substr(start, end - start));
        return args;
    }

    int Pid(const std::string& tool, int n = 1) const { return std::atoi(ReadFile(Run(tool, n) + "/pid").c_str()); }
};

}  // namespace comdlgtest
