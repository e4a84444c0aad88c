// What the checks of the simulator against theory share: how much they simulate (a smoke
// version under the sanitizers), a 99.9% interval over seeds, and runs with per-pair counts.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "experiment/experiment.h"
#include "experiment/traffic_matrix.h"
#include "experiment/traffic_model.h"

namespace lab_testing {

#ifdef WRNSIM_STATISTICAL_SMOKE
// Under the sanitizers the runs are some twenty times slower: a fraction of the calls keeps
// each check's logic while its interval widens.
inline constexpr std::int64_t kCallScale = 20;
#else
inline constexpr std::int64_t kCallScale = 1;
#endif

// The two-sided 99.9% quantile of Student's t with n - 1 degrees of freedom: each check is
// one of a few dozen in the suite, and none should fail by chance.
inline double studentT9995(std::size_t n) {
  static const std::map<std::size_t, double> kTable = {
      {3, 31.599}, {4, 12.924}, {5, 8.610}, {6, 6.869}, {8, 5.408}, {10, 4.781}, {20, 3.883}};
  const auto at = kTable.find(n);
  return at == kTable.end() ? 0.0 : at->second;
}

struct Interval {
  double mean = 0.0;
  double halfWidth = 0.0;
};

// The mean of the values with its 99.9% half-width; the number of values must be one of
// the tabulated ones.
inline Interval interval999(const std::vector<double>& values) {
  const double n = static_cast<double>(values.size());
  double sum = 0.0;
  for (double value : values) sum += value;
  const double mean = sum / n;
  double squares = 0.0;
  for (double value : values) squares += (value - mean) * (value - mean);
  const double quantile = studentT9995(values.size());
  EXPECT_GT(quantile, 0.0) << values.size() << " values: no quantile tabulated";
  return {mean, quantile * std::sqrt(squares / (n - 1)) / std::sqrt(n)};
}

// Per pair, its blocking in each seed's run of the matrix's traffic.
using PairBlocking = std::map<std::pair<std::int32_t, std::int32_t>, std::vector<double>>;

inline PairBlocking simulatePairs(const experiment::ExperimentPlan& base, std::uint64_t seeds) {
  PairBlocking blocking;
  for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
    experiment::ExperimentPlan plan = base;
    plan.matrixTraffic.seed = seed;
    const experiment::ExperimentResult result = experiment::runExperiment(plan);
    for (const experiment::PairAccount& pair : result.pairs) {
      EXPECT_GT(pair.calls.offered, 0);
      blocking[{pair.origin, pair.destination}].push_back(static_cast<double>(pair.calls.blocked) /
                                                          static_cast<double>(pair.calls.offered));
    }
  }
  return blocking;
}

}  // namespace lab_testing
