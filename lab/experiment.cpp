#include "lab/experiment.h"

#include <chrono>
#include <memory>

#include "base/input_file.h"
#include "calls/source_setup.h"
#include "lab/lab_console.h"
#include "network/topology_reader.h"

namespace lab {

namespace {

// As the console: each table holds this many counters per link.
constexpr std::int32_t kMaxWavelengths = 4096;

// Everything one run owns; nothing is shared with another run.
struct Session {
  Session(std::ostream* trace, const base::Config& config)
      : console(trace), reporter(console), network(config.lambdaCount, config.fiberCount) {
    calls::createBlockingTypes(blockingTypes);
  }
  LabConsole console;
  base::ErrorReporter reporter;
  base::MemoryFileSystem files;
  calls::NetworkState network;
  network::LinkStateViews views;
  routing::RouteTable routeTable;
  calls::BlockingTypes blockingTypes;
  calls::RandomGenerator random;
};

void loadNetwork(Session& session, const ExperimentPlan& plan) {
  const std::int32_t lambdas = plan.config.lambdaCount;
  if (lambdas < 1 || lambdas > kMaxWavelengths) {
    throw ExperimentError("the wavelength count must be 1 to " + std::to_string(kMaxWavelengths));
  }
  session.network.wavelengthOrder.assign(static_cast<std::size_t>(lambdas), 0);
  session.files.add("topologia.con", plan.topology);
  const int nodes =
      network::loadTopology("topologia", session.network.loadedTable, session.network.nodeList,
                            session.files, session.reporter);
  if (nodes == -1) throw ExperimentError("the topology file holds no \"tabla\" section");
  session.network.nodeCount = nodes;
  network::copyLinksPaired(session.network.loadedTable, session.network.liveTable,
                           session.reporter);
}

void addSource(Session& session, const base::Config& config, const SourcePlan& source,
               std::size_t index) {
  const std::int32_t nodes = session.network.nodeCount;
  if (source.origin < 0 || source.origin >= nodes || source.destination < 0 ||
      source.destination >= nodes) {
    throw ExperimentError("pair " + std::to_string(source.origin) + "-" +
                          std::to_string(source.destination) + " is outside nodes 0 to " +
                          std::to_string(nodes - 1));
  }
  const std::string name = "llamadas" + std::to_string(index) + ".txt";
  session.files.add(name, source.calls);
  std::unique_ptr<base::InputFile> file = session.files.open(name);
  const calls::SourceSetup setup{session.views,    session.routeTable,     session.console,
                                 session.reporter, config.maxCoincidences, config.pathCount};
  if (calls::setUpCallSource(session.network, setup, file, source.origin, source.destination) ==
      nullptr) {
    throw ExperimentError("the call source could not be made");
  }
}

// The generated sources of every ordered pair; returns the mean load they offer.
double addAllPairs(Session& session, const ExperimentPlan& plan, std::size_t& index) {
  const TrafficModel& base = *plan.allPairs;
  double loads = 0.0;
  std::uint64_t stream = 0;
  for (std::int32_t origin = 0; origin < session.network.nodeCount; ++origin) {
    for (std::int32_t destination = 0; destination < session.network.nodeCount; ++destination) {
      if (origin == destination) continue;
      TrafficModel model = base;
      model.seed = streamSeed(base.seed, stream++);
      const std::vector<GeneratedCall> calls = generateCalls(model);
      loads += offeredLoad(calls);
      addSource(session, plan.config, SourcePlan{origin, destination, callFileText(calls)},
                index++);
    }
  }
  return stream == 0 ? 0.0 : loads / static_cast<double>(stream);
}

void count(ExperimentResult& result) {
  const calls::RunSummary& summary = result.summary;
  result.offered = summary.callsStarted;
  result.blocked = summary.callsBlocked + summary.callsWithUpdateError + summary.callsWithoutPath;
  result.carried = result.offered - result.blocked;
  result.blockingProbability =
      result.offered > 0 ? static_cast<double>(result.blocked) / static_cast<double>(result.offered)
                         : 0.0;
}

}  // namespace

ExperimentResult runExperiment(const ExperimentPlan& plan, std::ostream* trace) {
  const auto began = std::chrono::steady_clock::now();
  Session session(trace, plan.config);
  loadNetwork(session, plan);
  ExperimentResult result;
  result.nodeCount = session.network.nodeCount;
  std::size_t index = 0;
  for (const SourcePlan& source : plan.sources) addSource(session, plan.config, source, index++);
  if (plan.allPairs) result.generatedLoad = addAllPairs(session, plan, index);
  result.sourceCount = static_cast<std::int64_t>(index);
  if (index == 0) throw ExperimentError("no call source: give pairs or all ordered pairs");
  calls::RunResources resources{session.console,    session.reporter,      session.views,
                                session.routeTable, session.blockingTypes, session.random};
  const calls::RunSettings settings{plan.config.pathPolicy, plan.config.updateInterval,
                                    plan.config.pathCount, true};
  result.summary = calls::runSimulation(session.network, resources, settings);
  count(result);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}

}  // namespace lab
