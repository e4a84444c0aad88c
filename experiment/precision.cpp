#include "experiment/precision.h"

#include <algorithm>

#include "experiment/statistics.h"

namespace experiment {

bool precisionReached(std::span<const double> blocking, double relativeHalfWidth) {
  const SampleMean mean = meanWithInterval(blocking);
  if (!mean.halfWidth || !(mean.mean > 0.0)) return false;
  return *mean.halfWidth <= relativeHalfWidth * mean.mean;
}

PrecisionOutcome runToPrecision(const std::vector<PointKey>& points, std::uint64_t firstSeed,
                                const PrecisionGoal& goal, const GridRunner& runner) {
  PrecisionOutcome outcome;
  std::vector<std::vector<double>> blocking(points.size());
  std::vector<std::int64_t> seeds(points.size(), 0);
  std::vector<std::size_t> open(points.size());
  for (std::size_t p = 0; p < points.size(); ++p) open[p] = p;
  const std::int64_t most = std::max(goal.maxSeeds, goal.minSeeds);
  while (!open.empty()) {
    std::vector<SweepTask> round;
    std::vector<std::size_t> pointOf;
    for (std::size_t p : open) {
      const std::int64_t wanted = seeds[p] == 0 ? std::min(goal.minSeeds, most) : 1;
      for (std::int64_t k = 0; k < wanted; ++k) {
        round.push_back({points[p], firstSeed + static_cast<std::uint64_t>(seeds[p]++)});
        pointOf.push_back(p);
      }
    }
    const std::vector<SeedRun> runs = runner(round);
    for (std::size_t r = 0; r < runs.size(); ++r) {
      if (runs[r].blocking) blocking[pointOf[r]].push_back(*runs[r].blocking);
      outcome.runs.push_back(runs[r]);
    }
    std::vector<std::size_t> still;
    for (std::size_t p : open) {
      if (precisionReached(blocking[p], goal.relativeHalfWidth)) continue;
      if (seeds[p] >= most) {
        outcome.unreached.push_back(points[p]);
        continue;
      }
      still.push_back(p);
    }
    open.swap(still);
  }
  std::sort(outcome.unreached.begin(), outcome.unreached.end(),
            [&](const PointKey& a, const PointKey& b) {
              return std::find(points.begin(), points.end(), a) <
                     std::find(points.begin(), points.end(), b);
            });
  return outcome;
}

}  // namespace experiment
