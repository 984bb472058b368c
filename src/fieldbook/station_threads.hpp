// Work done station by station on a large book, on two threads.
#pragma once
#include <atomic>
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "base/progress.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// Leaving the scope (a fault or a cancel of this thread's work included)
// tells a helper thread to stop and waits for it.
struct TStopAndJoin {
    std::thread& thread;
    std::atomic<bool>& stop;
    ~TStopAndJoin() {
        if (!thread.joinable()) return;
        stop = true;
        thread.join();
    }
};

// From this many pointings on, the stations are processed on two threads.
inline constexpr std::size_t kTwoThreadPointings = 50000;

// Runs `work(station, half)` on every station, when the stations do not
// depend on one another: a large book is cut in two halves of about as many
// pointings (half 0 and 1), the second processed on a thread of its own
// while this one reports the progress of the first (when there is a
// `progress`). Within a half the stations come in book order. A cancel
// stops both.
template <typename Work>
void ForEachStationInHalves(std::vector<TStation>& stations, TProgress* progress, const Work& work) {
    std::size_t pointings = 0;
    for (const TStation& s : stations) pointings += s.obs.size();
    std::size_t half = stations.size();
    if (pointings >= kTwoThreadPointings) {
        std::size_t seen = 0;
        for (half = 0; half < stations.size() && seen < pointings / 2; ++half) seen += stations[half].obs.size();
    }
    std::atomic<bool> stop{false};
    std::exception_ptr error;
    std::thread second;
    if (half < stations.size()) {
        try {
            second = std::thread([&] {
                try {
                    for (std::size_t i = half; i < stations.size() && !stop.load(std::memory_order_relaxed); ++i)
                        work(stations[i], std::size_t(1));
                } catch (...) {
                    error = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            half = stations.size();  // no thread to be had: all on this one
        }
    }
    const TStopAndJoin join{second, stop};
    const double total = static_cast<double>(half);
    for (std::size_t i = 0; i < half; ++i) {
        if (progress) progress->Advance(static_cast<double>(i), total);
        work(stations[i], std::size_t(0));
    }
    if (second.joinable()) second.join();
    if (error) std::rethrow_exception(error);
}

// The same, for work that does not care which half a station is in.
template <typename Work>
void ForEachStation(std::vector<TStation>& stations, TProgress* progress, const Work& work) {
    ForEachStationInHalves(stations, progress, [&](TStation& s, std::size_t) { work(s); });
}

}  // namespace kestrova
