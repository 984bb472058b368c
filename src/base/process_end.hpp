// A console run ends right after its command. What the command built (a
// field book of a million pointings: a million pieces of memory) need not
// be freed piece by piece then: the system takes the whole memory back at
// the end of the process, at no cost. Elsewhere (the window, the tests,
// which run many commands in one process) everything is freed as usual.
#pragma once
#include <memory>

namespace kestrova {

// Said once by the console's entry point, before the command runs.
void SetProcessEndsAfterCommand();
bool ProcessEndsAfterCommand();

// The child processes a command is running (gama-local during an
// adjustment). A console run ended by a signal kills and reaps them before
// it removes its temporaries and exits: none outlives the run, nor writes
// into the folder being removed. The list holds a few of them and is read
// without locks.
void RememberRunningChild(int pid);
void ForgetRunningChild(int pid);
// Kills (SIGKILL) and reaps every child remembered. Async-signal-safe.
void KillRunningChildren();

// Owns a command's large structure; when the process ends after the
// command, leaves it to the end of the process instead of freeing it.
template <class T>
class TLeftToProcessEnd {
public:
    explicit TLeftToProcessEnd(std::unique_ptr<T> owned) : owned_(std::move(owned)) {}
    ~TLeftToProcessEnd() {
        if (ProcessEndsAfterCommand()) static_cast<void>(owned_.release());
    }
    TLeftToProcessEnd(const TLeftToProcessEnd&) = delete;
    TLeftToProcessEnd& operator=(const TLeftToProcessEnd&) = delete;
    T& operator*() const { return *owned_; }

private:
    std::unique_ptr<T> owned_;
};

}  // namespace kestrova
