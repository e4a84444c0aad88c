#include "experiment/reference_curve.h"

#include <sstream>

#include "experiment/loss_network.h"
#include "experiment/statistics.h"
#include "experiment/theory.h"

namespace experiment {

bool parseReference(std::string_view name, ReferenceKind& kind) {
  if (name == "efp") {
    kind = ReferenceKind::kFixedPoint;
  } else if (name == "exact") {
    kind = ReferenceKind::kExact;
  } else if (name == "erlang") {
    kind = ReferenceKind::kErlangB;
  } else {
    return false;
  }
  return true;
}

namespace {

double blockingAt(ReferenceKind kind, const TheoryNetwork& theory, double load) {
  const LossNetwork& network = theory.network;
  switch (kind) {
    case ReferenceKind::kFixedPoint: {
      const FixedPoint point = erlangFixedPoint(network);
      if (!point.converged) {
        std::ostringstream message;
        message << "at " << load << " Erlang per pair, " << notConvergedText(point)
                << "; try lower loads, k-shortest routing, or exact on a small network";
        throw TheoryError(message.str());
      }
      return point.totalBlocking;
    }
    case ReferenceKind::kExact: {
      const std::optional<ExactBlocking> exact = exactBlocking(network);
      if (!exact) {
        std::ostringstream message;
        message << "the exact product form sums over every state of the network, at most "
                << kMostExactStates << "; this network has more: use efp";
        throw TheoryError(message.str());
      }
      return exact->totalBlocking;
    }
    case ReferenceKind::kErlangB: {
      if (theory.links.size() != 1) {
        throw TheoryError("Erlang B is the blocking of a network of one link; this one has " +
                          std::to_string(theory.links.size()) + ": use efp or exact");
      }
      double load = 0.0;
      for (const LossRoute& route : network.routes) load += route.load;
      return erlangB(load, network.capacities.front());
    }
  }
  return 0.0;
}

}  // namespace

ReferenceCurve referenceCurve(ReferenceKind kind, const std::string& topology,
                              const base::Config& config, const std::vector<double>& loads,
                              const std::vector<PairLoad>& pattern, const RoutingChoice& routing) {
  ReferenceCurve curve;
  switch (kind) {
    case ReferenceKind::kFixedPoint:
      curve = {"Erlang fixed point", "efp", {}};
      break;
    case ReferenceKind::kExact:
      curve = {"Exact (product form)", "exact", {}};
      break;
    case ReferenceKind::kErlangB:
      curve = {"Erlang B", "erlang", {}};
      break;
  }
  for (double load : loads) {
    const std::vector<PairLoad> pairs =
        pattern.empty() ? allPairLoads(topology, config, load) : scaledToMean(pattern, load);
    curve.points.emplace_back(
        load, blockingAt(kind, theoryNetwork(topology, config, pairs, routing), load));
  }
  return curve;
}

}  // namespace experiment
