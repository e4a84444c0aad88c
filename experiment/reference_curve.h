// Theory's blocking against load, to set beside a measured blocking curve.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/config.h"
#include "experiment/routing_choice.h"
#include "experiment/traffic_matrix.h"

namespace experiment {

enum class ReferenceKind { kFixedPoint, kExact, kErlangB };

// "efp", "exact" or "erlang"; false for another name.
bool parseReference(std::string_view name, ReferenceKind& kind);

struct ReferenceCurve {
  // The legend's name of the curve, and its CSV column's.
  std::string name;
  std::string column;
  // (load, blocking), one per load asked for, in that order.
  std::vector<std::pair<double, double>> points;
};

// The theory's total blocking at each load, on the routes a run with `routing` would use: every
// ordered pair offered the load, or, when `pattern` is not empty, its loads scaled to that mean.
// Throws TheoryError where the theory does not hold (see theoryNetwork; kExact beyond the state
// bound; kErlangB on a network of more than one link) and ExperimentError for a topology a
// run would refuse.
ReferenceCurve referenceCurve(ReferenceKind kind, const std::string& topology,
                              const base::Config& config, const std::vector<double>& loads,
                              const std::vector<PairLoad>& pattern,
                              const RoutingChoice& routing = {});

}  // namespace experiment
