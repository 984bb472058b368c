// Independent pieces of one command run at the same time: the writers of
// the outputs of a reduced book, each producing into its own staged file.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

struct TCostedJob {
    double cost = 0.0;  // its expected share of the work (any unit)
    std::function<void()> run;
};

// The jobs of each thread: a split of the jobs among `threads` lists whose
// costs add up to the smallest largest sum (tried in full for a few jobs,
// the costliest to the least loaded list beyond). Each list holds indices
// into `costs`, costliest first.
std::vector<std::vector<std::size_t>> PlanJobs(const std::vector<double>& costs, std::size_t threads);

// Runs every job, on as many threads as the machine has cores (at most one
// per job), and returns once all have stopped. Each thread runs the jobs
// PlanJobs gave it; one that is through takes a job not yet started from
// another thread's list (the last of it), so that the cores end together
// even when the costs were guessed wrong. `progress` hears the share of
// jobs done. The first failure in job order (a cancel included) is thrown
// again after every job has stopped.
void RunJobsConcurrently(const std::vector<TCostedJob>& jobs, TProgress& progress);

}  // namespace kestrova
