#include "shell/ejecutar_menu.h"

#include <cctype>
#include <new>
#include <optional>
#include <vector>

#include "network/link_table.h"
#include "network/node_list.h"
#include "network/topology_reader.h"
#include "shell/add_call_source.h"
#include "shell/menus.h"

namespace shell {

namespace {

// A wavelength count beyond this is refused like a failed allocation: every table holds
// lambdaCount counters per link, and each pair's view copies the whole table.
constexpr std::int32_t kMaxWavelengths = 4096;
constexpr int kLoadAttempts = 3;

void printScreenHead(Process& process) {
  process.console.clearScreen();
  process.console.write("\n******* MENU EJECUTAR *******\n");
  printBanner(process);
}

bool allocateWavelengthOrder(Process& process, calls::NetworkState& net) {
  try {
    if (process.config.lambdaCount > kMaxWavelengths) throw std::bad_alloc();
    net.wavelengthOrder.assign(static_cast<std::size_t>(std::max(process.config.lambdaCount, 0)),
                               0);
  } catch (const std::bad_alloc&) {
    process.reporter.reportError(1650);
    return false;
  }
  return true;
}

void releaseNetwork(calls::NetworkState& net) {
  network::freeLinks(net.loadedTable);
  network::freeLinks(net.liveTable);
  network::freeNodes(net.nodeList);
}

bool loadNetwork(Process& process, calls::NetworkState& net) {
  base::Console& console = process.console;
  console.write("\n");
  for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
    console.write("\nNombre de fichero origen: ");
    console.discardPending();
    console.readWord(process.topologyName);
    const int nodes = network::loadTopology(process.topologyName, net.loadedTable, net.nodeList,
                                            process.files, process.reporter);
    if (nodes == -1) {
      process.reporter.reportError(300);
      continue;
    }
    // Runs take every link of the loaded network from the live one, so a live table
    // that could not be made whole (code 20 reported) fails the attempt.
    if (!network::copyLinksPaired(net.loadedTable, net.liveTable, process.reporter)) {
      releaseNetwork(net);
      process.reporter.reportError(300);
      continue;
    }
    net.nodeCount = nodes;
    console.write("\nencontrados ");
    console.writeInt(nodes);
    console.write(" nodos,continuar...[]");
    console.readKey();
    return true;
  }
  return false;
}

void runAll(Process& process, calls::NetworkState& net) {
  calls::RunResources resources = runResources(process);
  const calls::RunSettings settings{process.config.pathPolicy, process.config.updateInterval,
                                    process.config.pathCount, process.eventDrivenRuns};
  calls::runSimulation(net, resources, settings);
}

void keyLoop(Process& process, calls::NetworkState& net) {
  base::Console& console = process.console;
  EjecutarPair pair;
  for (;;) {
    console.clearScreen();
    printBanner(process);
    console.write("\nIntroducir fichero...[Si/No/ESC[ejecutar]]");
    console.discardPending();
    const int key = std::toupper(console.readKey());
    if (key == base::kEscapeKey) runAll(process, net);
    if (key == 'S') addCallSource(process, net, pair);
    if (key == 'N') return;
  }
}

EjecutarOutcome endProgram(Process& process) {
  printEnd(process.console);
  return EjecutarOutcome::kProgramEnded;
}

}  // namespace

EjecutarOutcome runEjecutarMenu(Process& process) {
  printScreenHead(process);
  std::optional<calls::NetworkState> state;
  try {
    state.emplace(process.config.lambdaCount, process.config.fiberCount);
  } catch (const std::bad_alloc&) {
    // The menu's records come with wavelengthOrder, the first it reports.
    process.reporter.reportError(1650);
    return endProgram(process);
  }
  calls::NetworkState& net = *state;
  if (!allocateWavelengthOrder(process, net)) return endProgram(process);
  if (!loadNetwork(process, net)) return endProgram(process);
  keyLoop(process, net);
  // Sources that no run consumed go too: the next visit may load another network.
  calls::RunResources resources = runResources(process);
  calls::releaseCallSources(net, resources);
  releaseNetwork(net);
  return EjecutarOutcome::kBackToMainMenu;
}

}  // namespace shell
