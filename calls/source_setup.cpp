#include "calls/source_setup.h"

#include "routing/candidate_search.h"
#include "routing/path.h"

namespace calls {

namespace {

// The pair's view, made from the loaded network when the pair has none yet. `created`
// tells whether it is new (and so must be taken back if the source cannot be made).
network::LinkStateView* viewOfPair(NetworkState& network, const SourceSetup& setup,
                                   network::NodeId origin, network::NodeId destination,
                                   bool& created) {
  created = false;
  network::LinkStateView* view = network::findView(setup.views, origin, destination);
  if (view != nullptr) return view;
  const auto& loaded = network.loadedTable;
  if (network::createView(setup.views, 0, origin, destination, loaded.lambdaCount(),
                          loaded.fiberCount(), setup.reporter) == 0) {
    return nullptr;
  }
  // The view's links are filled when a run starts, with only the links its pair's paths
  // use: a copy of the whole table per pair would cost memory in proportion to pairs x links.
  view = &setup.views.front();
  created = true;
  return view;
}

void findCandidatePaths(NetworkState& network, const SourceSetup& setup, CallSource& source) {
  base::Console& console = setup.console;
  console.write("\nCreando SPF...");
  // Straight into the new source's (empty) set: a set of its own would cost an allocation
  // that no code reports.
  routing::PathSet& found = source.paths;
  const routing::SearchOutcome outcome = routing::searchCandidatePaths(
      found, network.loadedTable, network.nodeList, source.origin, source.destination,
      setup.maxCoincidences, setup.pathCount, console, setup.reporter, setup.searchLimits);
  routing::printSearchLimitNotice(outcome, console);
  console.write("\n");
  routing::printPathSet(found, console);
  routing::addPairRoutes(setup.routeTable, source.paths, source.origin, source.destination,
                         setup.reporter);
}

}  // namespace

CallSource* setUpCallSource(NetworkState& network, const SourceSetup& setup,
                            std::unique_ptr<base::InputFile>& file, network::NodeId origin,
                            network::NodeId destination) {
  bool viewCreated = false;
  if (viewOfPair(network, setup, origin, destination, viewCreated) == nullptr) return nullptr;
  CallSource* source = addCallSource(network.callSources, file, origin, destination, setup.console);
  if (source == nullptr) {
    if (viewCreated) network::discardNewestView(setup.views);
    return nullptr;
  }
  findCandidatePaths(network, setup, *source);
  return source;
}

}  // namespace calls
