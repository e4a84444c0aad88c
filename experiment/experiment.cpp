#include "experiment/experiment.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <memory>
#include <tuple>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "experiment/generated_call_lines.h"
#include "experiment/route_once.h"
#include "experiment/run_demand.h"
#include "experiment/sha256.h"
#include "experiment/trace_output.h"
#include "session/session.h"

namespace experiment {

namespace {

// Everything one run owns; nothing is shared with another run.
struct Run {
  explicit Run(std::ostream* trace)
      : output(trace), reporter(output, nullptr), session({output, nullptr, reporter, files}) {}
  TraceOutput output;
  base::ErrorReporter reporter;
  base::MemoryFileSystem files;
  session::Session session;
  RunProgress* progress = nullptr;
  // Sources the run will have, for the progress.
  std::size_t sourcesPlanned = 0;
};

void loadNetwork(Run& run, const ExperimentPlan& plan) {
  const std::int32_t lambdas = plan.config.lambdaCount;
  if (lambdas < 1 || lambdas > session::kMaxWavelengths) {
    throw ExperimentError("the wavelength count must be 1 to " +
                          std::to_string(session::kMaxWavelengths));
  }
  if (!run.session.openNetwork(plan.config)) {
    throw ExperimentError("the network's records could not be made");
  }
  run.files.add("topologia.con", plan.topology);
  const int nodes = run.session.loadNetwork("topologia");
  if (nodes == -1) throw ExperimentError("the topology file holds no \"tabla\" section");
  if (nodes < 0) throw ExperimentError("the network's live table could not be made");
  if (nodes < 2) {
    throw ExperimentError("the network has " + std::to_string(nodes) +
                          " node(s): a simulation needs at least 2");
  }
}

// Another source has its candidate paths.
void routed(Run& run) {
  if (run.progress != nullptr)
    run.progress->pairsRouted(run.session.sourceCount(), run.sourcesPlanned);
}

void addSource(Run& run, const SourcePlan& source, std::size_t index) {
  if (!run.session.pairInRange(source.origin, source.destination)) {
    throw ExperimentError("pair " + std::to_string(source.origin) + "-" +
                          std::to_string(source.destination) + " is outside nodes 0 to " +
                          std::to_string(run.session.nodeCount() - 1));
  }
  const std::string name = "llamadas" + std::to_string(index) + ".txt";
  run.files.add(name, source.calls);
  if (run.session.addSource(source.origin, source.destination, name) == nullptr) {
    throw ExperimentError("the call source could not be made");
  }
  routed(run);
}

// The model of the `stream`th ordered pair's calls.
TrafficModel allPairsModel(const ExperimentPlan& plan, std::uint64_t stream) {
  TrafficModel model = *plan.allPairs;
  model.seed = streamSeed(plan.allPairs->seed, stream);
  return model;
}

// A source's calls made from a model as the run reads them, and what they offer.
struct GeneratedStream {
  TrafficModel model;
  LoadTally tally;
};
// Streams never move once added: their tallies are written by the run's readers.
using GeneratedStreams = std::deque<GeneratedStream>;

void addGenerated(Run& run, std::int32_t origin, std::int32_t destination,
                  const TrafficModel& model, GeneratedStreams& streams) {
  if (!run.session.pairInRange(origin, destination)) {
    throw ExperimentError("pair " + std::to_string(origin) + "-" + std::to_string(destination) +
                          " is outside nodes 0 to " + std::to_string(run.session.nodeCount() - 1));
  }
  GeneratedStream& stream = streams.emplace_back(GeneratedStream{model, {}});
  if (run.session.addSource(origin, destination,
                            std::make_unique<GeneratedCallLines>(model, &stream.tally)) ==
      nullptr) {
    throw ExperimentError("the call source could not be made");
  }
  routed(run);
}

// The generated sources of every ordered pair.
void addAllPairs(Run& run, const ExperimentPlan& plan, GeneratedStreams& streams) {
  std::uint64_t stream = 0;
  const std::int32_t nodes = run.session.nodeCount();
  for (std::int32_t origin = 0; origin < nodes; ++origin) {
    for (std::int32_t destination = 0; destination < nodes; ++destination) {
      if (origin == destination) continue;
      addGenerated(run, origin, destination, allPairsModel(plan, stream++), streams);
    }
  }
}

// The model of a matrix pair's calls, the `stream`th pair with a load.
TrafficModel matrixModel(const ExperimentPlan& plan, const PairLoad& pair, double busiest,
                         std::uint64_t stream) {
  TrafficModel model = plan.matrixTraffic;
  model.meanGap = meanGapForLoad(pair.load, model.meanHolding);
  model.count = std::max<std::int64_t>(
      1, std::llround(static_cast<double>(plan.matrixTraffic.count) * pair.load / busiest));
  model.seed = streamSeed(plan.matrixTraffic.seed, stream);
  return model;
}

// The matrix's sources.
void addMatrixPairs(Run& run, const ExperimentPlan& plan, GeneratedStreams& streams) {
  double busiest = 0.0;
  for (const PairLoad& pair : plan.matrix) busiest = std::max(busiest, pair.load);
  std::uint64_t stream = 0;
  for (const PairLoad& pair : plan.matrix) {
    if (!(pair.load > 0.0)) continue;
    addGenerated(run, pair.origin, pair.destination, matrixModel(plan, pair, busiest, stream++),
                 streams);
  }
}

// The mean over the streams of the load their calls offer, all of them, also those the run
// ended before reading.
double meanLoad(const GeneratedStreams& streams) {
  if (streams.empty()) return 0.0;
  double loads = 0.0;
  for (const GeneratedStream& stream : streams) {
    loads += stream.tally.complete ? stream.tally.load() : offeredLoad(generateCalls(stream.model));
  }
  return loads / static_cast<double>(streams.size());
}

void count(ExperimentResult& result, const RunAccount& account) {
  const CallCounts& totals = account.totals();
  result.offered = totals.offered;
  result.carried = totals.carried;
  result.blocked = totals.blocked;
  result.causes = totals.causes;
  if (result.offered > 0) {
    result.blockingProbability =
        static_cast<double>(result.blocked) / static_cast<double>(result.offered);
  }
  result.pairs = account.pairs();
  result.links = account.links();
  result.countedTicks = account.countedTicks();
}

std::string networkFingerprint(const session::Session& session) {
  const run::NetworkState& network = session.network();
  std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t>> links;
  for (const network::Link& link : network.loadedTable.links()) {
    links.emplace_back(link.from, link.to, link.regenerators);
  }
  std::sort(links.begin(), links.end());
  std::string text = "nodes " + std::to_string(network.nodeCount) + "\n";
  for (const auto& [from, to, regenerators] : links) {
    text +=
        std::to_string(from) + " " + std::to_string(to) + " " + std::to_string(regenerators) + "\n";
  }
  return sha256Hex(text);
}

// The accounts first, so that a watcher sees them as the call left them.
class WatchedAccount : public run::RunObserver {
 public:
  WatchedAccount(RunAccount& account, run::RunObserver* watcher)
      : account_(account), watcher_(watcher) {}
  void callStarted(std::size_t source, std::int64_t tick,
                   const run::CallOutcome& outcome) override {
    account_.callStarted(source, tick, outcome);
    watcher_->callStarted(source, tick, outcome);
  }
  void hopRefused(std::size_t liveLink, std::int64_t tick, int kind) override {
    account_.hopRefused(liveLink, tick, kind);
    watcher_->hopRefused(liveLink, tick, kind);
  }
  void fibresChanged(std::size_t liveLink, int taken, std::int64_t tick) override {
    account_.fibresChanged(liveLink, taken, tick);
    watcher_->fibresChanged(liveLink, taken, tick);
  }
  void runEnded(std::int64_t ticks) override {
    account_.runEnded(ticks);
    watcher_->runEnded(ticks);
  }

 private:
  RunAccount& account_;
  run::RunObserver* watcher_;
};

std::vector<std::pair<std::int32_t, std::int32_t>> sourcePairs(const session::Session& session) {
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  for (const calls::CallSource& source : session.network().callSources) {
    pairs.emplace_back(source.origin, source.destination);
  }
  return pairs;
}

}  // namespace

namespace {

// `release`, when given, is the plan's own handle on its shared paths, reset once the
// sources hold theirs.
ExperimentResult runPlan(const ExperimentPlan& plan, std::ostream* trace, RunProgress* progress,
                         run::RunObserver* watcher,
                         std::shared_ptr<const routing::PathCatalogue>* release) {
  const auto began = std::chrono::steady_clock::now();
  Run run(trace);
  run.session.setRouting(plan.routing.kind);
  run.session.setSharedPaths(plan.routing.paths.get());
  run.session.setViewsFollowLive(true);
  run.session.setKeptLines(plan.keptLines);
  loadNetwork(run, plan);
  run.progress = progress;
  run.sourcesPlanned = sourcesPlanned(plan, run.session.nodeCount());
  ExperimentResult result;
  if (plan.routing.paths) result.routingSeconds = plan.routing.seconds;
  result.nodeCount = run.session.nodeCount();
  result.networkSha256 = networkFingerprint(run.session);
  std::size_t index = 0;
  for (const SourcePlan& source : plan.sources) addSource(run, source, index++);
  GeneratedStreams pairStreams;
  GeneratedStreams matrixStreams;
  if (plan.allPairs) addAllPairs(run, plan, pairStreams);
  if (!plan.matrix.empty()) addMatrixPairs(run, plan, matrixStreams);
  index += pairStreams.size() + matrixStreams.size();
  result.sourceCount = static_cast<std::int64_t>(index);
  if (index == 0) throw ExperimentError("no call source: give pairs or all ordered pairs");
  result.candidates = candidatePathsOf(run.session.network().callSources);
  if (release != nullptr) {
    run.session.setSharedPaths(nullptr);
    release->reset();
  }
  RunAccount account(sourcePairs(run.session), run.session.network().liveTable, plan.warmup);
  account.setProgress(progress);
  WatchedAccount watched(account, watcher);
  run.session.setRunObserver(watcher != nullptr ? &watched
                                                : static_cast<run::RunObserver*>(&account));
  if (progress != nullptr) progress->runStarts();
  if (plan.policies.path || plan.policies.wavelength) run.session.setPolicies(&plan.policies);
  result.summary = run.session.run();
  count(result, account);
  if (plan.allPairs) result.generatedLoad = meanLoad(pairStreams);
  if (!plan.matrix.empty()) result.generatedLoad = meanLoad(matrixStreams);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}

}  // namespace

ExperimentResult runExperiment(const ExperimentPlan& plan, std::ostream* trace,
                               RunProgress* progress, run::RunObserver* watcher) {
  return runPlan(plan, trace, progress, watcher, nullptr);
}

ExperimentResult runExperimentOnce(ExperimentPlan& plan, std::ostream* trace, RunProgress* progress,
                                   run::RunObserver* watcher) {
  return runPlan(plan, trace, progress, watcher, &plan.routing.paths);
}

namespace {

// True when the calls' last arrival falls on `tick` or later.
bool reaches(const TrafficModel& model, std::int64_t tick) {
  std::int64_t arrival = 0;
  for (const GeneratedCall& call : generateCalls(model)) arrival += call.gap;
  return arrival >= tick;
}

}  // namespace

bool generatesCallFrom(const ExperimentPlan& plan, std::int64_t tick) {
  if (plan.allPairs) {
    Run run(nullptr);
    loadNetwork(run, plan);
    const std::int64_t nodes = run.session.nodeCount();
    for (std::uint64_t stream = 0; stream < static_cast<std::uint64_t>(nodes * (nodes - 1));
         ++stream) {
      if (reaches(allPairsModel(plan, stream), tick)) return true;
    }
  }
  double busiest = 0.0;
  for (const PairLoad& pair : plan.matrix) busiest = std::max(busiest, pair.load);
  std::uint64_t stream = 0;
  for (const PairLoad& pair : plan.matrix) {
    if (!(pair.load > 0.0)) continue;
    if (reaches(matrixModel(plan, pair, busiest, stream++), tick)) return true;
  }
  return false;
}

PlannedRoutes planRoutes(const ExperimentPlan& plan, RunProgress* progress) {
  Run run(nullptr);
  run.session.setRouting(plan.routing.kind);
  run.session.setSharedPaths(plan.routing.paths.get());
  run.session.setViewsFollowLive(true);
  loadNetwork(run, plan);
  run.progress = progress;
  run.sourcesPlanned = plan.sources.size();
  PlannedRoutes routes;
  routes.nodeCount = run.session.nodeCount();
  std::size_t index = 0;
  for (const SourcePlan& source : plan.sources) addSource(run, source, index++);
  const run::NetworkState& network = run.session.network();
  for (std::size_t i = 0; i < network.liveTable.size(); ++i) {
    const network::Link& live = network.liveTable[i];
    const std::int32_t loaded =
        i < network.loadedTable.size() ? network.loadedTable[i].regenerators : live.regenerators;
    routes.links.push_back(
        {live.from, live.to, std::min(live.regenerators, loaded), live.counterArray});
  }
  for (const calls::CallSource& source : network.callSources) {
    PlannedRoutes::SourcePaths& planned = routes.sources.emplace_back();
    for (const routing::PathSetItem& item : source.paths) planned.paths.push_back(item.path);
    planned.limited = source.searchLimited;
  }
  return routes;
}

RoutingChoice routedOnce(const ExperimentPlan& plan, unsigned threads) {
  if (plan.routing.paths || plan.routing.kind == session::Routing::kGiven) return plan.routing;
  Run run(nullptr);
  loadNetwork(run, plan);
  const std::vector<NodePair> pairs = plannedPairs(plan, run.session.nodeCount());
  for (const auto& [origin, destination] : pairs) {
    if (!run.session.pairInRange(origin, destination)) return plan.routing;
  }
  return routeOnce(run.session.network(), plan.config, plan.routing, pairs, threads);
}

}  // namespace experiment
