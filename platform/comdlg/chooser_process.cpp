#include "comdlg/chooser_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace nol::comdlg {
namespace {

constexpr size_t kMaxOutput = 64 * 1024;
constexpr int kTurnMs = 10;

// Reads what is there; open becomes false at the end of the output.
void Drain(int fd, std::string* out, bool* open) {
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out->append(buffer, std::min(size_t(n), kMaxOutput - std::min(kMaxOutput, out->size())));
            continue;
        }
        if (n == 0) *open = false;
        return;  // n < 0: nothing more for now (EAGAIN), or the pipe is broken
    }
}

// Asks the chooser to go, then makes it go; either way it is reaped.
void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int waited = 0; waited < 500; waited += kTurnMs) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(kTurnMs * 1000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

pid_t Start(const std::string& program, const std::vector<std::string>& args, int outFd) {
    std::vector<std::string> store;
    store.push_back(program);
    store.insert(store.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : store) argv.push_back(s.data());
    argv.push_back(nullptr);
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on. The chooser goes with the
        // program if the program dies without stopping it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        if (nothing >= 0) dup2(nothing, 0);
        dup2(outFd, 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (nothing >= 0) close(nothing);
    return pid;
}

}  // namespace

ProcessOutcome RunChooserProcess(const std::string& program, const std::vector<std::string>& args,
                                 ModalWait& wait, const std::function<void(int pid)>& eachTurn) {
    ProcessOutcome outcome;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return outcome;
    const pid_t pid = Start(program, args, fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return outcome;
    }
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    bool open = true;
    for (;;) {
        if (!wait.Turn(open ? fds[0] : -1, kTurnMs)) {
            Stop(pid);
            outcome.kind = ProcessOutcome::GivenUp;
            break;
        }
        if (open) Drain(fds[0], &outcome.out, &open);
        if (eachTurn) eachTurn(pid);
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) continue;
        if (open) Drain(fds[0], &outcome.out, &open);
        outcome.kind = WIFSIGNALED(status) ? ProcessOutcome::Signalled : ProcessOutcome::Exited;
        outcome.code = WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
        break;
    }
    close(fds[0]);
    return outcome;
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace nol::comdlg
