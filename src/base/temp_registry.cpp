#include "base/temp_registry.hpp"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>
#include <vector>

#include "base/process_end.hpp"

namespace kestrova {

// Entries are never freed: a forgotten one is marked idle and reused for a
// later temporary whose path fits, so the handler can walk the list at any
// moment without meeting freed memory.
struct TTemporaryEntry {
    std::atomic<bool> live{false};
    bool directory = false;
    std::size_t capacity = 0;
    char* path = nullptr;
    TTemporaryEntry* next = nullptr;
};

namespace {

std::atomic<TTemporaryEntry*> gHead{nullptr};
std::mutex gMutex;                       // guards the idle list and new links
std::vector<TTemporaryEntry*>* gIdle = nullptr;
std::atomic<bool> gCommitBegun{false};
std::atomic<int> gSignalAfterCommit{0};

void RemoveAll(bool directories) {
    for (TTemporaryEntry* e = gHead.load(std::memory_order_acquire); e; e = e->next) {
        if (!e->live.load(std::memory_order_acquire) || e->directory != directories) continue;
        if (directories)
            ::rmdir(e->path);
        else
            ::unlink(e->path);
    }
}

void OnSignal(int signo) {
    if (gCommitBegun.load()) {
        // The files are in place or going there: stopping now would say
        // "nothing replaced" about a set that landed.
        gSignalAfterCommit.store(signo);
        return;
    }
    // A running child (gama-local) first, so that it writes no more.
    KillRunningChildren();
    RemoveTemporaries();
    static const char kText[] = "Interrompu : les fichiers temporaires sont supprimés, aucun fichier n'est remplacé\n";
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, kText, sizeof kText - 1);
    ::_exit(128 + signo);
}

void FillBlocked(sigset_t* set) {
    sigemptyset(set);
    sigaddset(set, SIGINT);
    sigaddset(set, SIGTERM);
    sigaddset(set, SIGHUP);
}

}  // namespace

TTemporaryEntry* RememberTemporary(const std::string& path, bool directory) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gIdle) gIdle = new std::vector<TTemporaryEntry*>();
    TTemporaryEntry* e = nullptr;
    if (!gIdle->empty() && gIdle->back()->capacity > path.size()) {
        e = gIdle->back();
        gIdle->pop_back();
    } else {
        e = new TTemporaryEntry();
        e->capacity = std::max<std::size_t>(path.size() + 1, 256);
        e->path = new char[e->capacity];
        e->path[0] = '\0';
        e->next = gHead.load(std::memory_order_relaxed);
        gHead.store(e, std::memory_order_release);
    }
    std::memcpy(e->path, path.c_str(), path.size() + 1);
    e->directory = directory;
    e->live.store(true, std::memory_order_release);
    return e;
}

void ForgetTemporary(TTemporaryEntry* entry) {
    if (!entry) return;
    std::lock_guard<std::mutex> lock(gMutex);
    entry->live.store(false, std::memory_order_release);
    gIdle->push_back(entry);
}

void MarkCommitBegun() { gCommitBegun.store(true); }

int SignalAfterCommit() { return gSignalAfterCommit.load(); }

void RemoveTemporaries() {
    RemoveAll(false);
    RemoveAll(true);
}

void RemoveTemporariesOnSignals() {
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    // After the commit the handler returns: the calls it cut resume.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, SIGINT);
    sigaddset(&sa.sa_mask, SIGTERM);
    sigaddset(&sa.sa_mask, SIGHUP);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the caller chose to ignore (nohup) stays ignored.
        struct sigaction old{};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(s, &sa, nullptr);
    }
}

TSignalBlock::TSignalBlock() {
    static_assert(sizeof(sigset_t) <= sizeof(saved_));
    sigset_t block;
    FillBlocked(&block);
    ::pthread_sigmask(SIG_BLOCK, &block, reinterpret_cast<sigset_t*>(saved_));
}

TSignalBlock::~TSignalBlock() { ::pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(saved_), nullptr); }

}  // namespace kestrova
