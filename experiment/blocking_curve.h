// Runs of a grid gathered into points of a blocking curve: one per load, policy and update
// interval, with the mean blocking probability over seeds and its 95% interval.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "experiment/cause_counts.h"
#include "experiment/reference_curve.h"

namespace experiment {

struct PointKey {
  PointKey() = default;
  PointKey(double load, std::int32_t policy, std::int32_t interval, std::string pathPolicy = {},
           std::string wavelengthPolicy = {})
      : load(load),
        policy(policy),
        interval(interval),
        pathPolicy(std::move(pathPolicy)),
        wavelengthPolicy(std::move(wavelengthPolicy)) {}

  double load = 0.0;
  // The path policy: a built-in's number (1 to 4), or 0 for the plug-in in `pathPolicy`.
  std::int32_t policy = 2;
  std::int32_t interval = 0;
  // A plug-in path policy as FILE:NAME; empty for a built-in.
  std::string pathPolicy;
  // The wavelength policy by name; empty for the built-in rule.
  std::string wavelengthPolicy;
  auto operator<=>(const PointKey&) const = default;
};

// The key's path policy as the CSV's policy column gives it: the built-in's number, or the
// plug-in's FILE:NAME; and its wavelength policy by name.
std::string policyColumn(const PointKey& key);
std::string wavelengthColumn(const PointKey& key);

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
  // Finding the candidate paths before the run, shared with the runs that used them; none
  // when each run searched its own.
  std::optional<double> routingSeconds;
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

// Ordered by path policy, then wavelength policy, then interval, then load.
std::vector<CurvePoint> curvePoints(const std::vector<SeedRun>& runs);

// A header, then one row per point:
// policy,interval,load,seeds,offered,carried,blocking_mean,ci95_low,ci95_high,
// runs_without_offered, then the mean share of each cause (kCauseNames), wavelength_policy
// (offered and carried
// summed over seeds; the means empty when no run offered a call, the interval columns when
// fewer than two did; the low end is not clipped at 0). With a reference, a last column named
// after it holds its blocking at the row's load.
void writeCurveCsv(std::ostream& out, const std::vector<CurvePoint>& points,
                   const ReferenceCurve* reference = nullptr);

// A header, then one row per run, in the order given:
// policy,interval,load,seed,offered,carried,blocked,blocking, the calls blocked by each cause
// (kCauseNames), run_seconds, wavelength_policy, routing_seconds (blocking empty when nothing
// was offered, routing_seconds when the run searched its own paths).
void writeRunsCsv(std::ostream& out, const std::vector<SeedRun>& runs);

}  // namespace experiment
