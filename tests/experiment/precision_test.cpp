// Adding seeds until a point's interval is narrow enough, driven by injected per-seed
// results of known spread.
#include "experiment/precision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace experiment {
namespace {

TEST(Precision, ReachedWhenTheHalfWidthIsAtMostTheShareOfTheMean) {
  // Mean 0.1, sample deviation 0.0082, t(0.975, 3) = 3.1824: half-width 0.0130.
  const std::vector<double> four = {0.09, 0.10, 0.11, 0.10};
  const double halfWidth = 3.182446 * std::sqrt(0.0002 / 3.0) / 2.0;
  EXPECT_TRUE(precisionReached(four, halfWidth / 0.1 * 1.001));
  EXPECT_FALSE(precisionReached(four, halfWidth / 0.1 * 0.999));
  EXPECT_FALSE(precisionReached(std::vector<double>{0.1}, 0.5)) << "one value has no interval";
  EXPECT_FALSE(precisionReached(std::vector<double>{0.0, 0.0, 0.0}, 0.5))
      << "a mean of 0 has no relative width";
}

// Per point, the blocking of seed k is the k-th value of its list (by seed order).
struct Injected {
  std::map<double, std::vector<double>> byLoad;
  int rounds = 0;
  std::vector<SeedRun> operator()(const std::vector<SweepTask>& tasks) {
    ++rounds;
    std::vector<SeedRun> runs;
    for (const SweepTask& task : tasks) {
      SeedRun run;
      run.key = task.key;
      run.seed = task.seed;
      run.offered = 100;
      const std::vector<double>& values = byLoad.at(task.key.load);
      run.blocking = values[(task.seed - 1) % values.size()];
      runs.push_back(run);
    }
    return runs;
  }
};

std::int64_t seedsOf(const PrecisionOutcome& outcome, double load) {
  std::int64_t count = 0;
  for (const SeedRun& run : outcome.runs) count += run.key.load == load;
  return count;
}

TEST(Precision, EachPointGetsSeedsUntilItsIntervalIsNarrowEnough) {
  Injected injected;
  injected.byLoad[1.0] = {0.10, 0.10, 0.10};              // no spread: 3 seeds suffice
  injected.byLoad[2.0] = {0.08, 0.12, 0.10, 0.09, 0.11};  // some spread
  injected.byLoad[3.0] = {0.0};                           // nothing blocked: never reached
  const std::vector<PointKey> points = {{1.0, 2, 0}, {2.0, 2, 0}, {3.0, 2, 0}};
  const PrecisionGoal goal{0.05, 3, 40};
  const PrecisionOutcome outcome =
      runToPrecision(points, 1, goal, [&](const auto& tasks) { return injected(tasks); });

  // The point with spread stops at the first count of seeds the rule accepts.
  std::int64_t expected = 0;
  std::vector<double> values;
  for (std::int64_t n = 1; n <= goal.maxSeeds; ++n) {
    values.push_back(injected.byLoad[2.0][static_cast<std::size_t>(n - 1) % 5]);
    if (n >= goal.minSeeds && precisionReached(values, goal.relativeHalfWidth)) {
      expected = n;
      break;
    }
  }
  ASSERT_GT(expected, goal.minSeeds) << "the spread must need more than the first seeds";
  ASSERT_LT(expected, goal.maxSeeds);
  EXPECT_EQ(seedsOf(outcome, 1.0), 3);
  EXPECT_EQ(seedsOf(outcome, 2.0), expected);
  EXPECT_EQ(seedsOf(outcome, 3.0), goal.maxSeeds);
  ASSERT_EQ(outcome.unreached.size(), 1u);
  EXPECT_EQ(outcome.unreached[0].load, 3.0);
  // Seeds count up from the first without gaps or repeats, per point.
  std::map<double, std::vector<std::uint64_t>> seeds;
  for (const SeedRun& run : outcome.runs) seeds[run.key.load].push_back(run.seed);
  for (const auto& [load, list] : seeds) {
    for (std::size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], k + 1) << load;
  }
  // The first round runs the first seeds of every point; each later one adds one seed.
  EXPECT_EQ(injected.rounds, 1 + (goal.maxSeeds - goal.minSeeds));
}

TEST(Precision, RunsThatOfferedNothingDoNotCountTowardsThePrecision) {
  const std::vector<PointKey> points = {{1.0, 2, 0}};
  int calls = 0;
  const PrecisionOutcome outcome =
      runToPrecision(points, 1, PrecisionGoal{0.5, 2, 6}, [&](const std::vector<SweepTask>& tasks) {
        std::vector<SeedRun> runs;
        for (const SweepTask& task : tasks) {
          SeedRun run;
          run.key = task.key;
          run.seed = task.seed;
          // Only every other seed offers calls, all with the same blocking.
          if (task.seed % 2 == 0) run.blocking = 0.2;
          runs.push_back(run);
          ++calls;
        }
        return runs;
      });
  // Two runs with a blocking probability are needed: seeds 2 and 4.
  EXPECT_EQ(calls, 4);
  EXPECT_TRUE(outcome.unreached.empty());
}

}  // namespace
}  // namespace experiment
