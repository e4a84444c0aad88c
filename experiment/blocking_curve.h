// Runs of a grid gathered into points of a blocking curve: one per load, policy and update
// interval, with the mean blocking probability over seeds and its 95% interval.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "experiment/cause_counts.h"
#include "experiment/reference_curve.h"

namespace experiment {

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
  // None when nothing was offered.
  std::optional<double> blocking;
  double seconds = 0.0;
  std::int64_t blocked = 0;
  CauseCounts causes;
};

struct CurvePoint {
  PointKey key;
  std::int64_t seeds = 0;
  std::int64_t offered = 0;
  std::int64_t carried = 0;
  // Over the runs that offered calls; 0 with `measured` false when none did.
  double meanBlocking = 0.0;
  bool measured = false;
  // None with fewer than two runs that offered calls.
  std::optional<double> halfWidth;
  // Runs without any offered call: they have no blocking probability and are left out.
  std::int64_t runsWithoutOffered = 0;
  // Per cause, the mean over the same runs of the share of offered calls it blocked; the
  // shares add up to the mean blocking.
  std::array<double, kCauseColumns> meanCauseShares{};
  // Per cause, the 95% half-width of that mean; none with fewer than two such runs.
  std::array<std::optional<double>, kCauseColumns> causeHalfWidths{};
};

// Ordered by policy, then interval, then load.
std::vector<CurvePoint> curvePoints(const std::vector<SeedRun>& runs);

// A header, then one row per point:
// policy,interval,load,seeds,offered,carried,blocking_mean,ci95_low,ci95_high,
// runs_without_offered, then the mean share of each cause (kCauseNames) (offered and carried
// summed over seeds; the means empty when no run offered a call, the interval columns when
// fewer than two did; the low end is not clipped at 0). With a reference, a last column named
// after it holds its blocking at the row's load.
void writeCurveCsv(std::ostream& out, const std::vector<CurvePoint>& points,
                   const ReferenceCurve* reference = nullptr);

// A header, then one row per run, in the order given:
// policy,interval,load,seed,offered,carried,blocked,blocking, the calls blocked by each cause
// (kCauseNames), run_seconds (blocking empty when nothing was offered).
void writeRunsCsv(std::ostream& out, const std::vector<SeedRun>& runs);

}  // namespace experiment
