#include "base/parallel_jobs.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>

namespace kestrova {

namespace {

// Every split is tried up to this many (threads ^ jobs).
constexpr double kSplitsTried = 1 << 14;

}  // namespace

std::vector<std::vector<std::size_t>> PlanJobs(const std::vector<double>& costs, std::size_t threads) {
    const std::size_t n = costs.size();
    threads = std::max<std::size_t>(1, std::min(threads, n));
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return costs[a] > costs[b]; });

    // The costliest to the least loaded list: the split kept unless a
    // full search finds a better one.
    std::vector<std::size_t> best(n);
    double bestLargest = 0.0;
    {
        std::vector<double> load(threads, 0.0);
        for (const std::size_t j : order) {
            const std::size_t t = static_cast<std::size_t>(std::min_element(load.begin(), load.end()) - load.begin());
            best[j] = t;
            load[t] += costs[j];
        }
        bestLargest = *std::max_element(load.begin(), load.end());
    }
    if (threads > 1 && std::pow(static_cast<double>(threads), static_cast<double>(n)) <= kSplitsTried) {
        // Every assignment, the first job on the first list (the lists are
        // alike): the first found of the smallest largest sum wins.
        std::vector<std::size_t> assign(n, 0);
        std::vector<double> load(threads);
        for (;;) {
            std::fill(load.begin(), load.end(), 0.0);
            for (std::size_t j = 0; j < n; ++j) load[assign[j]] += costs[j];
            const double largest = *std::max_element(load.begin(), load.end());
            if (largest < bestLargest) {
                bestLargest = largest;
                best = assign;
            }
            std::size_t j = 1;
            while (j < n && ++assign[j] == threads) assign[j++] = 0;
            if (j >= n) break;
        }
    }
    std::vector<std::vector<std::size_t>> lists(threads);
    for (const std::size_t j : order) lists[best[j]].push_back(j);
    return lists;
}

void RunJobsConcurrently(const std::vector<TCostedJob>& jobs, TProgress& progress) {
    const std::size_t n = jobs.size();
    std::vector<std::exception_ptr> failures(n);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t done = 0;

    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<double> costs;
    for (const TCostedJob& job : jobs) costs.push_back(job.cost);
    std::vector<std::deque<std::size_t>> lists;
    for (const std::vector<std::size_t>& list : PlanJobs(costs, cores)) lists.emplace_back(list.begin(), list.end());

    // The next job of thread t: its own first, else the last of the list
    // with the most cost left; none when every job has started.
    auto take = [&](std::size_t t, std::size_t& job) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!lists[t].empty()) {
            job = lists[t].front();
            lists[t].pop_front();
            return true;
        }
        std::deque<std::size_t>* from = nullptr;
        double most = -1.0;
        for (std::deque<std::size_t>& list : lists) {
            double left = 0.0;
            for (const std::size_t j : list) left += costs[j];
            if (!list.empty() && left > most) {
                most = left;
                from = &list;
            }
        }
        if (!from) return false;
        job = from->back();
        from->pop_back();
        return true;
    };
    auto worker = [&](std::size_t t) {
        std::size_t i = 0;
        while (take(t, i)) {
            try {
                jobs[i].run();
            } catch (...) {
                failures[i] = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < lists.size(); ++t) threads.emplace_back(worker, t);

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
