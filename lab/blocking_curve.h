// Runs of a grid gathered into points of a blocking curve: one per load, policy and update
// interval, with the mean blocking probability over seeds and its 95% interval.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

namespace lab {

struct PointKey {
  double load = 0.0;
  std::int32_t policy = 2;
  std::int32_t interval = 0;
  auto operator<=>(const PointKey&) const = default;
};

// One seed's run of a grid point.
struct SeedRun {
  PointKey key;
  std::uint64_t seed = 0;
  std::int64_t offered = 0;
  std::int64_t carried = 0;
  double blocking = 0.0;
  double seconds = 0.0;
};

struct CurvePoint {
  PointKey key;
  std::int64_t seeds = 0;
  std::int64_t offered = 0;
  std::int64_t carried = 0;
  double meanBlocking = 0.0;
  // None with a single seed.
  std::optional<double> halfWidth;
};

// Ordered by policy, then interval, then load.
std::vector<CurvePoint> curvePoints(const std::vector<SeedRun>& runs);

// A header, then one row per point:
// policy,interval,load,seeds,offered,carried,blocking_mean,ci95_low,ci95_high
// (the interval columns empty for a single seed; the low end is not clipped at 0).
void writeCurveCsv(std::ostream& out, const std::vector<CurvePoint>& points);

}  // namespace lab
