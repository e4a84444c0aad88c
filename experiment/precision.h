// Seeds added to each point of a grid until its blocking probability is known to a given
// relative precision.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "experiment/blocking_curve.h"
#include "experiment/sweep.h"

namespace experiment {

struct PrecisionGoal {
  // The 95% interval's half-width, at most this times the mean.
  double relativeHalfWidth = 0.1;
  std::int64_t minSeeds = 3;
  std::int64_t maxSeeds = 30;
};

// True when the values' 95% interval is at most `relativeHalfWidth` times their mean.
// Never for fewer than two values or a mean of 0, whose relative width is not defined.
bool precisionReached(std::span<const double> blocking, double relativeHalfWidth);

// Runs the given tasks, in any order, and gives their runs in the same order.
using GridRunner = std::function<std::vector<SeedRun>(const std::vector<SweepTask>&)>;

struct PrecisionOutcome {
  std::vector<SeedRun> runs;
  // Points that had `maxSeeds` seeds without reaching the goal, in the order given.
  std::vector<PointKey> unreached;
};

// Runs `minSeeds` seeds of every point (firstSeed, firstSeed + 1, ...), then, a round at a
// time, one more seed of every point short of the goal, until each reaches it or has
// `maxSeeds`. Runs that offered no call do not count towards a point's precision.
PrecisionOutcome runToPrecision(const std::vector<PointKey>& points, std::uint64_t firstSeed,
                                const PrecisionGoal& goal, const GridRunner& runner);

}  // namespace experiment
