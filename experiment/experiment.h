// One run without menus: a topology, the six settings and the call sources, simulated by
// the same run loop as the console's, counted into a summary.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/config.h"
#include "experiment/candidate_paths.h"
#include "experiment/routing_choice.h"
#include "experiment/run_account.h"
#include "experiment/run_progress.h"
#include "experiment/traffic_matrix.h"
#include "experiment/traffic_model.h"
#include "run/run_loop.h"
#include "run/run_observer.h"
#include "session/session.h"

namespace experiment {

// A fault of the experiment's description (a topology without a table, a pair out of
// range, no source): nothing was run.
struct ExperimentError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct SourcePlan {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  // The call file's content.
  std::string calls;
};

struct ExperimentPlan {
  // The text of a topology file.
  std::string topology;
  base::Config config;
  std::vector<SourcePlan> sources;
  // When set, a source for every ordered pair of distinct nodes, after the listed ones, in
  // the order (0,1), (0,2), ..., each with calls from this model and a seed of its own.
  std::optional<TrafficModel> allPairs;
  // When set, calls from `matrixTraffic` (its gap set per pair from the pair's load) on every
  // pair of the matrix with a load above 0, after the listed sources, in the matrix's
  // order; the busiest pair gets the model's count of calls, the others in proportion to
  // their load, so that all cover about the same time.
  std::vector<PairLoad> matrix;
  TrafficModel matrixTraffic;
  // Calls started before this tick run and load the network but are left out of the
  // counts, and so are the ticks before it.
  std::int64_t warmup = 0;
  // How the sources' candidate paths are found.
  RoutingChoice routing;
  // The policies the run decides with besides the built-in ones (config.pathPolicy and the
  // built-in wavelength rule stand where a maker is empty).
  run::PolicyMakers policies;
  // Lines read ahead that the run keeps as read, all sources together; past it they are
  // drawn again when due, which gives the same run in less memory and more time.
  std::size_t keptLines = run::kKeptLines;
};

struct ExperimentResult {
  run::RunSummary summary;
  // Offered: the calls the run started from the warm-up on. Carried: those that hold a
  // wavelength on every hop. Blocked: the rest (assignment blocked them, the live network
  // refused a hop, or they had no path), by cause in `causes`.
  std::int64_t offered = 0;
  std::int64_t carried = 0;
  std::int64_t blocked = 0;
  CauseCounts causes;
  // blocked / offered; none when nothing was offered.
  std::optional<double> blockingProbability;
  // The same counts per ordered pair with a source, and per link of the network.
  std::vector<PairAccount> pairs;
  std::vector<LinkAccount> links;
  // What the candidate search gave each pair with a source, in the order of `pairs`.
  std::vector<PairPaths> candidates;
  // Ticks from the warm-up to the run's end.
  std::int64_t countedTicks = 0;
  // Mean over the generated sources of the load their calls offer; none without them.
  std::optional<double> generatedLoad;
  std::int32_t nodeCount = 0;
  std::int64_t sourceCount = 0;
  // The network as loaded, whatever file it came from: its node count and its links with
  // their regenerators, in order.
  std::string networkSha256;
  // Wall-clock seconds of the run, and of finding its candidate paths before it when they
  // were (RoutingChoice::seconds, once for every run that shares them); none when each
  // source's were searched in the run, whose seconds then include them.
  double seconds = 0.0;
  std::optional<double> routingSeconds;
};

// Loads the topology, adds the sources as the console does (views, candidate paths, route
// entries), runs, and answers the key wait. The trace and the report go to `trace` when
// given, and how far it has got to `progress` when given. `watcher`, when given, is told of
// the run as its accounts are, each time after them, from the calling thread. Throws
// ExperimentError for a fault of the plan, run::PolicyFailure when a policy throws.
ExperimentResult runExperiment(const ExperimentPlan& plan, std::ostream* trace = nullptr,
                               RunProgress* progress = nullptr,
                               run::RunObserver* watcher = nullptr);

// runExperiment for a plan run once: the plan's shared paths (RoutingChoice::paths) are let
// go as soon as every source holds its own, before the first call, so that a large
// network's paths are not held twice while it runs (they are freed there unless another
// owner holds them). The plan keeps its routing's kind and seconds.
ExperimentResult runExperimentOnce(ExperimentPlan& plan, std::ostream* trace = nullptr,
                                   RunProgress* progress = nullptr,
                                   run::RunObserver* watcher = nullptr);

// Whether some call of the plan's generated traffic (all pairs, or the matrix) arrives at
// `tick` or later, and so would be counted after a warm-up ending there; false when the
// plan generates no traffic. Calls are drawn as a run draws them, pair by pair until one
// such call is found. Throws ExperimentError as runExperiment does.
bool generatesCallFrom(const ExperimentPlan& plan, std::int64_t tick);

struct PlannedLink {
  std::int32_t from = 0;
  std::int32_t to = 0;
  // The lower of the counts the running network and the file give this direction.
  std::int32_t regenerators = 0;
  // Links with the same group share their fibres (the two directions of a link).
  std::int32_t fibreGroup = 0;
};

struct PlannedRoutes {
  std::int32_t nodeCount = 0;
  // Every link of the network, in table order.
  std::vector<PlannedLink> links;
  struct SourcePaths {
    // The candidate paths as a run would find them, in the order of the source's set (nodes,
    // origin first); empty when the pair has none.
    std::vector<std::vector<std::int32_t>> paths;
    // The search ended at its limit, so the network may hold paths it never reached.
    bool limited = false;
  };
  // Per listed source, in order.
  std::vector<SourcePaths> sources;
};

// The plan's routing with every pair's candidate paths found once (route_once.h), for runs
// of the plan and of plans that differ only in traffic and policies; the routing as it is when
// it has its paths already (a file's, for one). Throws ExperimentError as runExperiment does.
RoutingChoice routedOnce(const ExperimentPlan& plan, unsigned threads);

// Loads the topology and adds the plan's listed sources as runExperiment does (their calls
// are not read; their paths found by the plan's routing), without running. Without sources it
// gives the network alone. Tells `progress`, when given, of the pairs routed. Throws
// ExperimentError as runExperiment does.
PlannedRoutes planRoutes(const ExperimentPlan& plan, RunProgress* progress = nullptr);

}  // namespace experiment
