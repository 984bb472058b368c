// The writers shared among the cores: the split of the jobs by their
// costs, and the run that still does each job once, whatever the split.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <stdexcept>

#include "base/parallel_jobs.hpp"

using namespace kestrova;

namespace {

double Largest(const std::vector<std::vector<std::size_t>>& lists, const std::vector<double>& costs) {
    double largest = 0.0;
    for (const auto& list : lists) {
        double sum = 0.0;
        for (const std::size_t j : list) sum += costs[j];
        largest = std::max(largest, sum);
    }
    return largest;
}

}  // namespace

TEST(ParallelJobs, SplitEndsTheCoresTogether) {
    // The writers of a reduction: costliest-first dealing ends one core
    // 15 % after the other; the best split is within a few units.
    const std::vector<double> costs{250, 275, 0, 70, 78, 36};
    const auto lists = PlanJobs(costs, 2);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_DOUBLE_EQ(Largest(lists, costs), 356.0);
    // Each job once, each list costliest first.
    std::vector<std::size_t> all;
    for (const auto& list : lists) {
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [&](auto a, auto b) { return costs[a] > costs[b]; }));
        all.insert(all.end(), list.begin(), list.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));

    // Too many splits to try: costliest to the least loaded.
    std::vector<double> many(20);
    std::iota(many.begin(), many.end(), 1.0);
    EXPECT_LE(Largest(PlanJobs(many, 2), many), 106.0);
    // More cores than jobs: one job each.
    EXPECT_EQ(PlanJobs({3, 2}, 8).size(), 2u);
    EXPECT_EQ(PlanJobs({}, 2).size(), 1u);
}

TEST(ParallelJobs, EveryJobRunsOnceAndTheFirstFailureIsThrown) {
    // Costs that are all wrong: the threads take each other's jobs.
    std::vector<std::atomic<int>> runs(9);
    std::vector<TCostedJob> jobs;
    for (std::size_t i = 0; i < runs.size(); ++i)
        jobs.push_back({i == 0 ? 1000.0 : 1.0, [&runs, i] {
                            ++runs[i];
                            volatile double x = 0;
                            for (std::size_t k = 0; k < (i == 8 ? 2000000u : 1000u); ++k) x = x + 1.0;
                        }});
    RunJobsConcurrently(jobs, NoProgress());
    for (const auto& r : runs) EXPECT_EQ(r.load(), 1);

    jobs[5].run = [] { throw std::runtime_error("cinq"); };
    jobs[2].run = [] { throw std::runtime_error("deux"); };
    try {
        RunJobsConcurrently(jobs, NoProgress());
        FAIL() << "no failure thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "deux");
    }
}
