#include "base/process_end.hpp"

#include <atomic>
#include <cerrno>
#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>

namespace kestrova {

namespace {
std::atomic<bool> processEndsAfterCommand{false};

// The running children; 0 marks a free place.
constexpr int kChildPlaces = 16;
std::atomic<pid_t> runningChildren[kChildPlaces];
}

void SetProcessEndsAfterCommand() {
    processEndsAfterCommand = true;
    // Nothing is given back before the end either, so the allocator may
    // take its memory from the system in large steps. Without this, the
    // heap of each thread but the first grows a page at a time, each page
    // one more system call that splits the process's map (some 20 000 of
    // them while a million pointings are read on two threads).
    mallopt(M_TOP_PAD, 64 << 20);
}

bool ProcessEndsAfterCommand() { return processEndsAfterCommand; }

void RememberRunningChild(int pid) {
    for (std::atomic<pid_t>& place : runningChildren) {
        pid_t free = 0;
        if (place.compare_exchange_strong(free, pid)) return;
    }
}

void ForgetRunningChild(int pid) {
    for (std::atomic<pid_t>& place : runningChildren) {
        pid_t mine = pid;
        if (place.compare_exchange_strong(mine, 0)) return;
    }
}

void KillRunningChildren() {
    for (std::atomic<pid_t>& place : runningChildren) {
        const pid_t pid = place.exchange(0);
        if (pid <= 0) continue;
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

}  // namespace kestrova
