#include "session/session.h"

#include <algorithm>
#include <memory>
#include <new>

#include "network/topology_reader.h"
#include "routing/k_shortest_paths.h"
#include "routing/path.h"

namespace session {

Session::Session(const Surroundings& surroundings, const routing::SearchLimits& searchLimits)
    : io_(surroundings), searchLimits_(searchLimits) {
  calls::createBlockingTypes(blockingTypes_);
}

Session::~Session() {
  closeNetwork();
}

bool Session::openNetwork(const base::Config& config) {
  config_ = config;
  try {
    network_.emplace(config.lambdaCount, config.fiberCount);
    if (config.lambdaCount > kMaxWavelengths) throw std::bad_alloc();
    network_->wavelengthOrder.assign(static_cast<std::size_t>(std::max(config.lambdaCount, 0)), 0);
  } catch (const std::bad_alloc&) {
    network_.reset();
    io_.reporter.reportError(1650);
    return false;
  }
  return true;
}

int Session::loadNetwork(const std::string& name) {
  run::NetworkState& net = *network_;
  const int nodes =
      network::loadTopology(name, net.loadedTable, net.nodeList, io_.files, io_.reporter);
  if (nodes == -1) return -1;
  // Runs take every link of the loaded network from the live one, so a live table that
  // could not be made whole (code 20 reported) fails the load.
  if (!network::copyLinksPaired(net.loadedTable, net.liveTable, io_.reporter)) {
    releaseNetwork();
    return -2;
  }
  net.nodeCount = nodes;
  return nodes;
}

bool Session::pairInRange(std::int32_t origin, std::int32_t destination) const {
  const std::int32_t nodes = nodeCount();
  return origin >= 0 && origin < nodes && destination >= 0 && destination < nodes;
}

calls::CallSource* Session::addSource(std::int32_t origin, std::int32_t destination,
                                      const std::string& callFileName) {
  std::unique_ptr<base::InputFile> file = base::openInputFile(io_.files, io_.output, callFileName);
  if (!file) {
    io_.reporter.reportError(301);
    return nullptr;
  }
  bool viewCreated = false;
  if (viewOfPair(origin, destination, viewCreated) == nullptr) return nullptr;
  calls::CallSource* source =
      calls::addCallSource(network_->callSources, file, origin, destination, io_.output);
  return withPaths(source, viewCreated);
}

calls::CallSource* Session::addSource(std::int32_t origin, std::int32_t destination,
                                      std::unique_ptr<calls::CallLines> lines) {
  bool viewCreated = false;
  if (viewOfPair(origin, destination, viewCreated) == nullptr) return nullptr;
  calls::CallSource* source =
      calls::addCallSource(network_->callSources, lines, origin, destination, io_.output);
  return withPaths(source, viewCreated);
}

// A new source gets its candidate paths; without one, a view made for it is taken back.
calls::CallSource* Session::withPaths(calls::CallSource* source, bool viewCreated) {
  if (source == nullptr) {
    if (viewCreated) network::discardNewestView(views_);
    return nullptr;
  }
  findCandidatePaths(*source);
  return source;
}

// The pair's view, made when the pair has none yet. `created` tells whether it is new (and
// so must be taken back if the source cannot be made).
network::LinkStateView* Session::viewOfPair(std::int32_t origin, std::int32_t destination,
                                            bool& created) {
  created = false;
  network::LinkStateView* view = network::findView(views_, origin, destination);
  if (view != nullptr) return view;
  const network::LinkTable& loaded = network_->loadedTable;
  if (network::createView(views_, 0, origin, destination, loaded.lambdaCount(), loaded.fiberCount(),
                          io_.reporter) == 0) {
    return nullptr;
  }
  // The view's links are filled when a run starts, with only the links its pair's paths
  // use: a copy of the whole table per pair would cost memory in proportion to pairs x links.
  created = true;
  return &views_.front();
}

void Session::findCandidatePaths(calls::CallSource& source) {
  io_.output.write("\nCreando SPF...");
  // Straight into the new source's (empty) set: a set of its own would cost an allocation
  // that no code reports.
  routing::SearchOutcome outcome;
  const routing::PathCatalogue::Pair* shared =
      sharedPaths_ == nullptr ? nullptr : sharedPaths_->find(source.origin, source.destination);
  switch (shared != nullptr ? Routing::kGiven : routing_) {
    case Routing::kKShortest:
      outcome = findKShortestPaths(source);
      break;
    case Routing::kGiven:
      if (shared != nullptr) outcome = copySharedPaths(source, *shared);
      break;
    case Routing::kConsole:
      outcome =
          routing::searchCandidatePaths(source.paths, network_->loadedTable, network_->nodeList,
                                        source.origin, source.destination, config_.maxCoincidences,
                                        config_.pathCount, io_.keys, io_.reporter, searchLimits_);
      break;
  }
  source.searchLimited = outcome.stoppedAtLimit();
  if (!io_.output.discards()) {
    routing::printSearchLimitNotice(outcome, io_.output);
    io_.output.write("\n");
    routing::printPathSet(source.paths, io_.output);
  }
  routing::addPairRoutes(routeTable_, source.paths, source.origin, source.destination,
                         io_.reporter);
}

// Into the source's set, as the console's search fills it.
routing::SearchOutcome Session::findKShortestPaths(calls::CallSource& source) {
  std::vector<routing::Path> paths;
  routing::KShortestOutcome found;
  try {
    if (!kShortest_) kShortest_ = std::make_unique<routing::KShortestSearch>(network_->loadedTable);
    found = kShortest_->find(paths, source.origin, source.destination, config_.maxCoincidences,
                             config_.pathCount);
  } catch (const std::bad_alloc&) {
    io_.reporter.reportError(140);
    return routing::SearchOutcome{routing::SearchEnd::kAllocationFailure};
  }
  routing::SearchOutcome outcome{found.end};
  for (const routing::Path& path : paths) {
    if (routing::copyPath(source.paths, path, io_.reporter) == nullptr) {
      outcome.end = routing::SearchEnd::kAllocationFailure;
      break;
    }
    ++outcome.accepted;
  }
  return outcome;
}

// Into the source's set as the searches fill it, so that paths found once and a search's
// that found the same ones make the same run.
routing::SearchOutcome Session::copySharedPaths(calls::CallSource& source,
                                                const routing::PathCatalogue::Pair& pair) {
  routing::SearchOutcome outcome{pair.limited ? routing::SearchEnd::kLimit
                                              : routing::SearchEnd::kExhausted};
  for (std::size_t i = 0; i < pair.count; ++i) {
    if (routing::copyPath(source.paths, sharedPaths_->path(pair.first + i), io_.reporter) ==
        nullptr) {
      outcome.end = routing::SearchEnd::kAllocationFailure;
      break;
    }
    ++outcome.accepted;
  }
  return outcome;
}

run::RunResources Session::runResources() {
  return run::RunResources{io_.output,     io_.keys, io_.reporter, views_,   routeTable_,
                           blockingTypes_, random_,  runObserver_, policies_};
}

run::RunSummary Session::run() {
  run::RunResources resources = runResources();
  const run::RunSettings settings{config_.pathPolicy, config_.updateInterval,
                                  config_.pathCount,  config_.maxCoincidences,
                                  viewsFollowLive_,   keptLines_};
  return run::runSimulation(*network_, resources, settings, runDriver_);
}

void Session::releaseSources() {
  if (!network_) return;
  run::RunResources resources = runResources();
  run::releaseCallSources(*network_, resources);
}

void Session::releaseNetwork() {
  kShortest_.reset();
  network::freeLinks(network_->loadedTable);
  network::freeLinks(network_->liveTable);
  network::freeNodes(network_->nodeList);
}

void Session::closeNetwork() {
  if (!network_) return;
  releaseSources();
  releaseNetwork();
  network_.reset();
}

}  // namespace session
