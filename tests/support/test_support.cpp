#include "support/test_support.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::vector<char*> MakeArgv(const std::string& program, const std::vector<std::string>& args,
                            std::vector<std::string>& storage) {
    storage.clear();
    storage.push_back(program);
    for (const auto& a : args) storage.push_back(a);
    std::vector<char*> argv;
    for (auto& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    return argv;
}

std::vector<char*> MakeEnv(const std::vector<std::string>& extra, std::vector<std::string>& storage) {
    storage.clear();
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& x : extra)
            if (x.substr(0, x.find('=')) == name) replaced = true;
        if (!replaced) storage.push_back(entry);
    }
    for (const auto& x : extra) storage.push_back(x);
    std::vector<char*> envp;
    for (auto& s : storage) envp.push_back(s.data());
    envp.push_back(nullptr);
    return envp;
}

long long NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

int Spawn(const std::string& program, const std::vector<std::string>& args,
          const std::vector<std::string>& env, const std::string& workDir, int outFd, int errFd) {
    std::vector<std::string> argStore, envStore;
    auto argv = MakeArgv(program, args, argStore);
    auto envp = MakeEnv(env, envStore);
    pid_t pid = fork();
    if (pid == 0) {
        // A group of its own: on a timeout the program goes together with
        // whatever it started (a script's background processes).
        setpgid(0, 0);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
        if (outFd >= 0) dup2(outFd, 1);
        if (errFd >= 0) dup2(errFd, 2);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (pid > 0) setpgid(pid, pid);  // also here: a kill may come before the child's own call
    return pid;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env, int timeoutMs,
                         const std::string& workDir) {
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_t pid = Spawn(program, args, env, workDir, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);

    ProcessResult result;
    long long deadline = NowMs() + timeoutMs;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        long long left = deadline - NowMs();
        if (left <= 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, (int)left) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buf, n);
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

int StartProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& env, const std::string& workDir) {
    return Spawn(program, args, env, workDir, -1, -1);
}

ChildProcess::~ChildProcess() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool ChildProcess::WaitFor(int timeoutMs) {
    long long deadline = NowMs() + timeoutMs;
    while (pid > 0) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return true;
        }
        if (NowMs() >= deadline) return false;
        usleep(10000);
    }
    return true;
}

int ChildProcess::ExitCode(int timeoutMs) {
    if (!WaitFor(timeoutMs)) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WaitForText(const std::string& file, const std::string& text, int timeoutMs) {
    long long deadline = NowMs() + timeoutMs;
    while (ReadFile(file).find(text) == std::string::npos) {
        if (NowMs() >= deadline) return false;
        usleep(20000);
    }
    return true;
}

PrivateDisplay::PrivateDisplay(const char* screen) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const pid_t parent = getpid();
    pid_t child = fork();
    if (child == 0) {
        // The display goes with the test process even when that is killed (a
        // timeout) or crashes, when no destructor runs.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 1);
        dup2(devnull, 2);
        dup2(fds[1], 3);  // Xvfb writes the display number it picked here
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
               (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    pid = child;
    std::string number;
    pollfd pfd{fds[0], POLLIN, 0};
    long long deadline = NowMs() + 10000;
    while (NowMs() < deadline && poll(&pfd, 1, 200) >= 0) {
        char c;
        ssize_t n = read(fds[0], &c, 1);
        if (n <= 0 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) name = ":" + number;
}

PrivateDisplay::~PrivateDisplay() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    // An X server that does not end on request is not waited for forever.
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) != 0) return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double TimeScale() {
    const char* v = std::getenv("NOL_TIME_SCALE");
    if (!v || !*v) return 1.0;
    char* end = nullptr;
    double scale = std::strtod(v, &end);
    if (*end || !(scale >= 1.0)) return 1.0;
    return scale > 20.0 ? 20.0 : scale;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/nol-test-XXXXXX";
    char* made = mkdtemp(pattern);
    if (!made) throw std::runtime_error("mkdtemp failed");
    path = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    chmod(to.c_str(), 0755);
}

std::string ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == (iconv_t)-1) throw std::runtime_error("no CP932 converter");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = out.data();
    size_t outLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == (size_t)-1) throw std::runtime_error("text not representable in CP932");
    out.resize(out.size() - outLeft);
    return out;
}
