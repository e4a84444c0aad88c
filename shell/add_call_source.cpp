#include "shell/add_call_source.h"

#include "base/input_file.h"
#include "calls/source_setup.h"

namespace shell {

namespace {

bool inRange(std::int32_t node, std::int32_t nodeCount) {
  return node >= 0 && node < nodeCount;
}

void waitForKey(base::Console& console) {
  console.discardPending();
  console.readKey();
}

}  // namespace

void addCallSource(Process& process, calls::NetworkState& network, EjecutarPair& pair) {
  base::Console& console = process.console;
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
  auto file = base::openInputFile(process.files, console, process.callFileName);
  if (!file) {
    process.reporter.reportError(301);
    return;
  }
  const calls::SourceSetup setup{process.views,
                                 process.routeTable,
                                 console,
                                 process.reporter,
                                 process.config.maxCoincidences,
                                 process.config.pathCount,
                                 process.searchLimits};
  if (calls::setUpCallSource(network, setup, file, pair.origin, pair.destination) == nullptr) {
    return;
  }
  waitForKey(console);
}

calls::RunResources runResources(Process& process) {
  return calls::RunResources{process.console,    process.reporter,      process.views,
                             process.routeTable, process.blockingTypes, process.random};
}

}  // namespace shell
