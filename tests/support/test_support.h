// Shared helpers for the tests: running a program as a child process, temporary
// directories, reading files, and CP932 conversion for comparing log text.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;     // exit status, or -1 when it did not exit normally
    int signal = 0;        // the terminating signal, if any
    bool timedOut = false;
    std::string out;       // standard output
    std::string err;       // standard error
};

// Runs program with args (argv[0] is the program) and extra "NAME=value"
// environment entries, waiting at most timeoutMs; a program still running then is
// killed and reported as timed out.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {}, int timeoutMs = 30000,
                         const std::string& workDir = "");

// Starts a program without waiting; returns its pid.
int StartProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& env = {}, const std::string& workDir = "");

// A program a test started (StartProcess): killed and reaped when the object goes,
// whatever happens to the test.
struct ChildProcess {
    int pid = -1;
    int status = 0;  // how it ended, once WaitFor has seen it end
    ChildProcess() = default;
    explicit ChildProcess(int started) : pid(started) {}
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
    // True when it ended within timeoutMs (status then holds how).
    bool WaitFor(int timeoutMs);
    // Its exit code when it ended normally within timeoutMs, else -1.
    int ExitCode(int timeoutMs);
};

// Whether text appears in the file within timeoutMs.
bool WaitForText(const std::string& file, const std::string& text, int timeoutMs);

// A fresh directory under /tmp, removed with its contents by the destructor.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    std::string File(const std::string& name) const { return path + "/" + name; }
};

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void CopyFile(const std::string& from, const std::string& to);

// A virtual X display of one's own, so that windows of tests running side by side
// never take each other's focus. Env() is the "DISPLAY=:n" entry for a child.
struct PrivateDisplay {
    std::string name;  // ":n", empty when Xvfb could not be started
    int pid = -1;
    // screen: Xvfb's "WIDTHxHEIGHTxDEPTH".
    explicit PrivateDisplay(const char* screen = "1024x768x24");
    ~PrivateDisplay();
    std::string Env() const { return "DISPLAY=" + name; }
};

// How much longer than normal whole programs may take: NOL_TIME_SCALE (at least 1),
// set by runs whose programs are slower by construction (the sanitizer build).
// Timing bounds multiply by it; what they check stays the same.
double TimeScale();
inline int ScaledMs(int ms) { return static_cast<int>(ms * TimeScale()); }

// UTF-8 text as CP932 bytes. Plain literals in this project are already CP932
// (the compiler converts them); this is for u8"" literals and text from outside.
std::string ToCp932(const std::string& utf8);
