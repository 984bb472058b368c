// How a long command says what it is doing and how far it is, and learns
// that the user cancelled it. The console and the window hand one to every
// command; the command calls Stage()/Advance() now and then and stops with
// TCancelled (writing nothing) once Cancel() was called from elsewhere.
#pragma once
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>

namespace kestrova {

class TCancelled : public std::runtime_error {
public:
    TCancelled() : std::runtime_error("Commande annulée") {}
};

class TProgress {
public:
    // Called from the command's thread with the current stage and the part
    // done in [0, 1] (negative: unknown). May be empty.
    using Listener = std::function<void(const std::string& stage, double fraction)>;

    TProgress() = default;
    explicit TProgress(Listener listener) : listener_(std::move(listener)) {}

    // A new step ("Lecture du carnet"), its fraction unknown until Advance().
    void Stage(const std::string& what) {
        stage_ = what;
        Notify(-1.0);
    }
    // `done` out of `total` of the current step; also checks for a cancel.
    void Advance(double done, double total) {
        ThrowIfCancelled();
        Notify(total > 0 ? done / total : -1.0);
    }

    // Any thread.
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    void ThrowIfCancelled() const {
        if (Cancelled()) throw TCancelled();
    }

private:
    void Notify(double fraction) {
        if (listener_) listener_(stage_, fraction);
    }

    Listener listener_;
    std::string stage_;
    std::atomic<bool> cancelled_{false};
};

// For callers that want no progress: a command always gets a handle.
inline TProgress& NoProgress() {
    thread_local TProgress none;
    return none;
}

}  // namespace kestrova
