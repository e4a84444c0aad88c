#include "experiment/run_demand.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "routing/candidate_search.h"
#include "routing/k_shortest_paths.h"

namespace experiment {

namespace {

// Sizes measured as peak memory over runs of Garr200902 and Kdl (all pairs, 1 to 16 paths,
// 1 to 1000 wavelengths, 1 to 40 Erlang per pair): a source with its view, call list, route entries
// and accounts; a hop of a candidate path with its view link and route entry; a wavelength's
// counter in a view link; a call record and one of its hops; a pair in the record.
constexpr double kSourceBytes = 2200.0;
constexpr double kPathHopBytes = 170.0;
// At refresh interval 0 a pair reads the live network and keeps no view links: a hop is its
// node, its positions and its route entry (measured on Kdl with 4 paths, 16 wavelengths).
constexpr double kFollowedHopBytes = 46.0;
constexpr double kCounterBytes = 4.0;
constexpr double kCallBytes = 320.0;
constexpr double kCallHopBytes = 16.0;
constexpr double kRecordPairBytes = 1600.0;
constexpr double kKeptLineBytes = 8.0;

// The mean hop count of the shortest routes between the network's connected pairs, by a
// breadth-first search from every node; 1 when no pair is connected.
double meanShortestHops(const PlannedRoutes& network) {
  const auto nodes = static_cast<std::size_t>(std::max(network.nodeCount, 0));
  std::vector<std::vector<std::int32_t>> next(nodes);
  for (const PlannedLink& link : network.links) {
    if (link.from >= 0 && link.to >= 0 && static_cast<std::size_t>(link.from) < nodes &&
        static_cast<std::size_t>(link.to) < nodes) {
      next[static_cast<std::size_t>(link.from)].push_back(link.to);
    }
  }
  double hops = 0.0;
  double pairs = 0.0;
  std::vector<std::int32_t> distance(nodes);
  std::deque<std::int32_t> queue;
  for (std::size_t origin = 0; origin < nodes; ++origin) {
    std::fill(distance.begin(), distance.end(), -1);
    distance[origin] = 0;
    queue.assign(1, static_cast<std::int32_t>(origin));
    while (!queue.empty()) {
      const auto at = static_cast<std::size_t>(queue.front());
      queue.pop_front();
      for (std::int32_t to : next[at]) {
        auto& reached = distance[static_cast<std::size_t>(to)];
        if (reached >= 0) continue;
        reached = distance[at] + 1;
        hops += reached;
        pairs += 1.0;
        queue.push_back(to);
      }
    }
  }
  return pairs > 0.0 ? hops / pairs : 1.0;
}

// The most paths the plan's routing can give one pair.
std::int64_t pathsPerSource(const ExperimentPlan& plan) {
  const std::int64_t asked = std::max(plan.config.pathCount, 1);
  switch (plan.routing.kind) {
    case session::Routing::kConsole:
      return std::min(asked, routing::SearchLimits{}.maxAccepted);
    case session::Routing::kKShortest:
      // Every path kept costs the search at least one step of its work limit.
      return std::min(asked, routing::KShortestLimits{}.maxSteps);
    case session::Routing::kGiven:
      break;
  }
  std::size_t most = 0;
  if (plan.routing.paths) {
    for (const routing::PathCatalogue::Pair& pair : plan.routing.paths->pairs()) {
      most = std::max(most, pair.count);
    }
  }
  return static_cast<std::int64_t>(most);
}

double busiestLoad(const std::vector<PairLoad>& matrix) {
  double busiest = 0.0;
  for (const PairLoad& pair : matrix) busiest = std::max(busiest, pair.load);
  return busiest;
}

double lastTickOf(std::int64_t calls, double meanGap, double meanHolding) {
  const auto n = static_cast<double>(calls);
  return (n + 6.0 * std::sqrt(n)) * meanGap + 20.0 * meanHolding;
}

// Calls of a call file: its lines that end in a newline.
std::int64_t fileCalls(const std::string& text) {
  return static_cast<std::int64_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

std::size_t sourcesPlanned(const ExperimentPlan& plan, std::int32_t nodes) {
  std::size_t sources = plan.sources.size();
  if (plan.allPairs && nodes > 1) {
    sources += static_cast<std::size_t>(nodes) * static_cast<std::size_t>(nodes - 1);
  }
  for (const PairLoad& pair : plan.matrix) sources += pair.load > 0.0 ? 1 : 0;
  return sources;
}

RunDemand estimateDemand(const ExperimentPlan& plan, const PlannedRoutes& network, bool record) {
  RunDemand demand;
  demand.sources = sourcesPlanned(plan, network.nodeCount);
  for (const SourcePlan& source : plan.sources) demand.plannedCalls += fileCalls(source.calls);
  if (plan.allPairs) {
    const TrafficModel& model = *plan.allPairs;
    const double pairs = static_cast<double>(demand.sources - plan.sources.size());
    demand.plannedCalls += static_cast<std::int64_t>(pairs) * model.count;
    demand.callsInProgress += pairs * (model.meanHolding + 0.5) / model.meanGap;
    demand.lastTick = lastTickOf(model.count, model.meanGap, model.meanHolding);
  }
  if (const double busiest = busiestLoad(plan.matrix); busiest > 0.0) {
    const TrafficModel& model = plan.matrixTraffic;
    for (const PairLoad& pair : plan.matrix) {
      if (!(pair.load > 0.0)) continue;
      demand.plannedCalls += std::max<std::int64_t>(
          1, std::llround(static_cast<double>(model.count) * pair.load / busiest));
      demand.callsInProgress += pair.load;
    }
    // Every pair covers about the busiest one's time.
    demand.lastTick = std::max(
        demand.lastTick,
        lastTickOf(model.count, meanGapForLoad(busiest, model.meanHolding), model.meanHolding));
  }
  demand.pathsPerSource = pathsPerSource(plan);
  demand.hopsPerPath = meanShortestHops(network) + 1.0;
  const auto sources = static_cast<double>(demand.sources);
  const double pathHops = static_cast<double>(demand.pathsPerSource) * demand.hopsPerPath;
  // A view holds the links its pair's paths use, at most every link of the network.
  const double viewLinks = std::min(pathHops, static_cast<double>(network.links.size()));
  demand.pathBytes =
      plan.config.updateInterval == 0
          ? sources * (kSourceBytes + pathHops * kFollowedHopBytes)
          : sources * (kSourceBytes + pathHops * kPathHopBytes +
                       viewLinks * kCounterBytes * static_cast<double>(plan.config.lambdaCount));
  demand.callBytes = demand.callsInProgress * (kCallBytes + kCallHopBytes * demand.hopsPerPath);
  // Lines read ahead of their calls, kept up to the plan's limit.
  demand.callBytes += static_cast<double>(std::min<std::int64_t>(
                          demand.plannedCalls, static_cast<std::int64_t>(plan.keptLines))) *
                      kKeptLineBytes;
  demand.recordBytes = record ? sources * kRecordPairBytes : 0.0;
  return demand;
}

}  // namespace experiment
