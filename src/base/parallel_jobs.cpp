#include "base/parallel_jobs.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace kestrova {

void RunJobsConcurrently(const std::vector<std::function<void()>>& jobs, TProgress& progress) {
    const std::size_t n = jobs.size();
    std::vector<std::exception_ptr> failures(n);
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t done = 0;

    auto worker = [&] {
        for (std::size_t i = next++; i < n; i = next++) {
            try {
                jobs[i]();
            } catch (...) {
                failures[i] = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
            changed.notify_all();
        }
    };
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::min(cores, n); ++t) threads.emplace_back(worker);

    // This thread reports the progress; a cancel reaches the jobs through
    // their own checks, so it only waits for them here.
    std::exception_ptr cancelled;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (done < n) {
            const std::size_t seen = done;
            lock.unlock();
            try {
                if (!cancelled) progress.Advance(static_cast<double>(seen), static_cast<double>(n));
            } catch (...) {
                cancelled = std::current_exception();
            }
            lock.lock();
            changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return done != seen; });
        }
    }
    for (std::thread& t : threads) t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
    if (cancelled) std::rethrow_exception(cancelled);
}

}  // namespace kestrova
