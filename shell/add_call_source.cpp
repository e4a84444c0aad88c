#include "shell/add_call_source.h"

#include <utility>

#include "routing/candidate_search.h"
#include "routing/path.h"
#include "shell/input_file.h"

namespace shell {

namespace {

bool inRange(std::int32_t node, std::int32_t nodeCount) {
  return node >= 0 && node < nodeCount;
}

void waitForKey(Console& console) {
  console.discardPending();
  console.readKey();
}

// The pair's view, made from the loaded network when the pair has none yet. `created`
// tells whether it is new (and so must be taken back if the source cannot be made).
network::LinkStateView* viewOfPair(Process& process, calls::NetworkState& network,
                                   const EjecutarPair& pair, bool& created) {
  created = false;
  network::LinkStateView* view = network::findView(process.views, pair.origin, pair.destination);
  if (view != nullptr) return view;
  const auto& loaded = network.loadedTable;
  if (network::createView(process.views, 0, pair.origin, pair.destination, loaded.lambdaCount(),
                          loaded.fiberCount(), process.reporter) == 0) {
    return nullptr;
  }
  view = &process.views.front();
  // A view missing links would route on a network that is not there (code 20 reported).
  if (!network::copyLinks(loaded, view->links, process.reporter)) {
    network::discardNewestView(process.views);
    return nullptr;
  }
  created = true;
  return view;
}

void findCandidatePaths(Process& process, calls::NetworkState& network, calls::CallSource& source) {
  Console& console = process.console;
  console.write("\nCreando SPF...");
  // Straight into the new source's (empty) set: a set of its own would cost an allocation
  // that no code reports.
  routing::PathSet& found = source.paths;
  const routing::SearchOutcome outcome = routing::searchCandidatePaths(
      found, network.loadedTable, network.nodeList, source.origin, source.destination,
      process.config.maxCoincidences, process.config.pathCount, console, process.reporter);
  routing::printSearchLimitNotice(outcome, console);
  console.write("\n");
  routing::printPathSet(found, console);
  routing::addPairRoutes(process.routeTable, source.paths, source.origin, source.destination,
                         process.reporter);
}

}  // namespace

void addCallSource(Process& process, calls::NetworkState& network, EjecutarPair& pair) {
  Console& console = process.console;
  console.write("\nOrigen: ");
  console.readNumber(pair.origin);
  console.write("Destino: ");
  console.readNumber(pair.destination);
  if (!inRange(pair.origin, network.nodeCount) || !inRange(pair.destination, network.nodeCount)) {
    console.write("\nNodo origen o destino fuera de rango...[]");
    waitForKey(console);
    return;
  }
  console.write("\nNombre de fichero de llamadas: ");
  console.discardPending();
  console.readWord(process.callFileName);
  auto file = openInputFile(process.files, console, process.callFileName);
  if (!file) {
    process.reporter.reportError(301);
    return;
  }
  bool viewCreated = false;
  if (viewOfPair(process, network, pair, viewCreated) == nullptr) return;
  calls::CallSource* source =
      calls::addCallSource(network.callSources, file, pair.origin, pair.destination, console);
  if (source == nullptr) {
    if (viewCreated) network::discardNewestView(process.views);
    return;
  }
  findCandidatePaths(process, network, *source);
  waitForKey(console);
}

calls::RunResources runResources(Process& process) {
  return calls::RunResources{process.console,    process.reporter,      process.views,
                             process.routeTable, process.blockingTypes, process.random};
}

}  // namespace shell
