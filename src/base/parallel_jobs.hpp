// Independent pieces of one command run at the same time: the writers of
// the outputs of a reduced book, each producing into its own staged file.
#pragma once
#include <functional>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

// Runs every job, on as many threads as the machine has cores (at most one
// per job), and returns once all have stopped. `progress` hears the share of
// jobs done. The first failure in job order (a cancel included) is thrown
// again after every job has stopped.
void RunJobsConcurrently(const std::vector<std::function<void()>>& jobs, TProgress& progress);

}  // namespace kestrova
