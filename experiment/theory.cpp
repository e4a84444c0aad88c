#include "experiment/theory.h"

#include <algorithm>
#include <map>

#include "experiment/experiment.h"

namespace experiment {

namespace {

std::string linkName(std::int32_t from, std::int32_t to) {
  return std::to_string(from) + "-" + std::to_string(to);
}

// Erlang B takes a step per circuit, at every sweep of the fixed point.
constexpr std::int64_t kMostCircuits = 100'000;

void checkSettings(const base::Config& config) {
  const std::int64_t circuits =
      static_cast<std::int64_t>(config.lambdaCount) * static_cast<std::int64_t>(config.fiberCount);
  if (circuits > kMostCircuits) {
    throw TheoryError("lambdas x fibres = " + std::to_string(circuits) +
                      " circuits per link; the theory is computed for at most " +
                      std::to_string(kMostCircuits));
  }
  if (config.updateInterval != 0) {
    throw TheoryError("--interval " + std::to_string(config.updateInterval) +
                      ": the theory holds for views refreshed at every call (--interval 0); "
                      "stale views block calls it does not know of");
  }
  if (config.pathCount != 1) {
    throw TheoryError("--paths " + std::to_string(config.pathCount) +
                      ": the theory holds for fixed routes, one candidate path per pair "
                      "(--paths 1)");
  }
}

// A call changes wavelength only after its first hop, and there it may need a regenerator
// for each circuit the link can carry.
void checkConversion(const PlannedLink& link, const SourcePlan& route, std::size_t hop,
                     const base::Config& config) {
  const std::int64_t needed =
      static_cast<std::int64_t>(config.lambdaCount) * static_cast<std::int64_t>(config.fiberCount);
  if (link.regenerators >= needed) return;
  throw TheoryError("link " + linkName(link.from, link.to) + " has " +
                    std::to_string(std::max(link.regenerators, 0)) + " regenerators, hop " +
                    std::to_string(hop + 1) + " of the route of pair " +
                    linkName(route.origin, route.destination) +
                    "; the theory holds with full wavelength conversion: at least lambdas x "
                    "fibres = " +
                    std::to_string(needed) +
                    " on every link, in each direction, that a route uses after its first hop");
}

}  // namespace

std::vector<PairLoad> allPairLoads(const std::string& topology, const base::Config& config,
                                   double load) {
  ExperimentPlan plan;
  plan.topology = topology;
  plan.config = config;
  const std::int32_t nodes = planRoutes(plan).nodeCount;
  std::vector<PairLoad> pairs;
  for (std::int32_t origin = 0; origin < nodes; ++origin) {
    for (std::int32_t destination = 0; destination < nodes; ++destination) {
      if (origin != destination) pairs.push_back({origin, destination, load});
    }
  }
  return pairs;
}

TheoryNetwork theoryNetwork(const std::string& topology, const base::Config& config,
                            const std::vector<PairLoad>& pairs, const RoutingChoice& routing) {
  checkSettings(config);
  ExperimentPlan plan;
  plan.topology = topology;
  plan.config = config;
  plan.routing = routing;
  std::vector<double> loads;
  for (const PairLoad& pair : pairs) {
    if (!(pair.load > 0.0)) continue;
    plan.sources.push_back({pair.origin, pair.destination, ""});
    loads.push_back(pair.load);
  }
  const PlannedRoutes planned = planRoutes(plan);
  TheoryNetwork theory;
  theory.nodeCount = planned.nodeCount;
  // One loss-network link per fibre group, numbered as the paths first meet them.
  std::map<std::int32_t, std::size_t> linkOfGroup;
  std::map<std::pair<std::int32_t, std::int32_t>, const PlannedLink*> linkOfHop;
  for (const PlannedLink& link : planned.links)
    linkOfHop.emplace(std::pair{link.from, link.to}, &link);
  const std::int32_t capacity = config.lambdaCount * config.fiberCount;
  for (std::size_t i = 0; i < plan.sources.size(); ++i) {
    const SourcePlan& source = plan.sources[i];
    const std::vector<std::vector<std::int32_t>>& paths = planned.sources[i].paths;
    // A run takes every path a file gives a pair, whatever --paths says.
    if (routing.kind == session::Routing::kGiven && paths.size() > 1) {
      throw TheoryError("pair " + linkName(source.origin, source.destination) + " has " +
                        std::to_string(paths.size()) + " paths in " + routing.file +
                        ": the theory holds for fixed routes, one path per pair");
    }
    const std::vector<std::int32_t> path = paths.empty() ? std::vector<std::int32_t>{} : paths[0];
    if (path.size() < 2) {
      throw TheoryError("pair " + linkName(source.origin, source.destination) +
                        " has no path; every pair with a load needs one");
    }
    LossRoute route{{}, loads[i]};
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
      const PlannedLink& link = *linkOfHop.at({path[k], path[k + 1]});
      if (k > 0) checkConversion(link, source, k, config);
      const auto [at, added] = linkOfGroup.emplace(link.fibreGroup, theory.links.size());
      if (added) {
        theory.links.push_back({std::min(path[k], path[k + 1]), std::max(path[k], path[k + 1])});
        theory.network.capacities.push_back(capacity);
      }
      route.links.push_back(at->second);
    }
    theory.network.routes.push_back(std::move(route));
    theory.routes.push_back({source.origin, source.destination, path});
  }
  return theory;
}

}  // namespace experiment
