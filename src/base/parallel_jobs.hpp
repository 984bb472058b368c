// Independent pieces of one command run at the same time: the writers of
// the outputs of a reduced book, each producing into its own staged file.
#pragma once
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "base/line_sink.hpp"
#include "base/progress.hpp"

namespace kestrova {

// Runs every job, on as many threads as the machine has cores (at most one
// per job), and returns once all have stopped. `progress` hears the share of
// jobs done. The first failure in job order (a cancel included) is thrown
// again after every job has stopped.
void RunJobsConcurrently(const std::vector<std::function<void()>>& jobs, TProgress& progress);

// Passes lines on and stops the writer with TCancelled once the command
// was cancelled (checked every few hundred lines: one atomic load).
class TCancellableSink : public TLineSink {
public:
    TCancellableSink(TLineSink& next, const TProgress& progress) : next_(next), progress_(progress) {}
    using TLineSink::Add;
    void Add(std::string_view line) override {
        if ((++count_ & 255) == 0) progress_.ThrowIfCancelled();
        next_.Add(line);
    }
    void AddPlain(std::string_view line) override {
        if ((++count_ & 255) == 0) progress_.ThrowIfCancelled();
        next_.AddPlain(line);
    }

private:
    TLineSink& next_;
    const TProgress& progress_;
    std::size_t count_ = 0;
};

}  // namespace kestrova
