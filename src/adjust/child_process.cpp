#include "adjust/child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/process_end.hpp"

extern char** environ;

namespace kestrova {

namespace {

// Both ends of a pipe, closed when it goes.
struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fd, O_CLOEXEC) != 0) throw ChildStartError(std::string("tube impossible : ") + std::strerror(errno));
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    void CloseRead() {
        if (fd[0] >= 0) ::close(fd[0]);
        fd[0] = -1;
    }
    void CloseWrite() {
        if (fd[1] >= 0) ::close(fd[1]);
        fd[1] = -1;
    }
};

// Reads what is there; false at the end of the stream.
bool Drain(int fd, std::string& into) {
    char buffer[8192];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && (errno == EINTR || errno == EAGAIN);
}

// The signals that end a console run (temp_registry.hpp).
void FillEndSignals(sigset_t* set) {
    sigemptyset(set);
    sigaddset(set, SIGINT);
    sigaddset(set, SIGTERM);
    sigaddset(set, SIGHUP);
}

// Starts the child and remembers it among the running children, with the
// signals that end the run held back meanwhile: a run stopped then still
// kills it. The child starts with the mask this thread had before.
pid_t Spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* actions) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    sigset_t endSignals, previous;
    FillEndSignals(&endSignals);
    ::pthread_sigmask(SIG_BLOCK, &endSignals, &previous);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &previous);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0].c_str(), actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned == 0) RememberRunningChild(pid);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (spawned != 0) throw ChildStartError(argv[0] + " : " + std::strerror(spawned));
    return pid;
}

// Reaps the ended child. It is forgotten among the running children while
// still a zombie, so its number cannot meanwhile go to another process that
// the end of the run would kill. `wait`: block until it ends.
bool Reap(pid_t pid, bool wait, int* status) {
    siginfo_t info{};
    for (;;) {
        info.si_pid = 0;
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | (wait ? 0 : WNOHANG)) == 0) break;
        if (errno != EINTR) {
            ForgetRunningChild(pid);  // not ours any more (reaped elsewhere)
            return true;
        }
    }
    if (info.si_pid == 0) return false;  // still running
    ForgetRunningChild(pid);
    while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

// A child not reaped when RunChild() leaves (a cancel, a failure) is
// killed and reaped.
class TChildGuard {
public:
    explicit TChildGuard(pid_t pid) : pid_(pid) {}
    ~TChildGuard() {
        if (reaped_) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        Reap(pid_, true, &status);
    }
    TChildGuard(const TChildGuard&) = delete;
    TChildGuard& operator=(const TChildGuard&) = delete;
    void Reaped() { reaped_ = true; }

private:
    pid_t pid_;
    bool reaped_ = false;
};

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, TProgress& progress) {
    if (argv.empty()) throw ChildStartError("aucun programme à lancer");
    progress.ThrowIfCancelled();
    Pipe out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    pid_t pid = 0;
    try {
        pid = Spawn(argv, &actions);
    } catch (...) {
        posix_spawn_file_actions_destroy(&actions);
        throw;
    }
    posix_spawn_file_actions_destroy(&actions);
    TChildGuard guard(pid);
    out.CloseWrite();
    err.CloseWrite();

    ChildResult result;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        if (progress.Cancelled()) throw TCancelled();  // the guard kills the child
        pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        if (!outOpen) fds[0].fd = -1;
        if (!errOpen) fds[1].fd = -1;
        const int ready = ::poll(fds, 2, 50);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) outOpen = Drain(out.fd[0], result.output);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) errOpen = Drain(err.fd[0], result.errors);
    }
    // Both streams closed: the child is ending (or closed them itself and
    // still runs: it is waited for, and killed on a cancel).
    int status = 0;
    for (;;) {
        if (Reap(pid, false, &status)) {
            guard.Reaped();
            break;
        }
        if (progress.Cancelled()) throw TCancelled();  // the guard kills the child
        ::usleep(20000);
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace kestrova
