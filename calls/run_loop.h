// The simulation run: ticks, call reading, view refreshes, path choice, wavelength
// assignment, reservation and release on the live network, the report and the clean-up.
#pragma once

#include <cstdint>
#include <vector>

#include "calls/blocking_stats.h"
#include "calls/call_source.h"
#include "calls/random_generator.h"
#include "network/link_state_view.h"
#include "network/link_table.h"
#include "network/node_list.h"
#include "routing/route_table.h"
#include "shell/console.h"
#include "shell/error_reporter.h"

namespace calls {

// A loaded network and the call sources defined on it.
struct NetworkState {
  NetworkState(std::int32_t lambdaCount, std::int32_t fiberCount)
      : loadedTable(lambdaCount, fiberCount), liveTable(lambdaCount, fiberCount) {}

  network::LinkTable loadedTable;
  network::LinkTable liveTable;
  network::NodeList nodeList;
  std::int32_t nodeCount = 0;
  std::vector<std::int32_t> wavelengthOrder;
  CallSources callSources;
};

// Records that outlive a run and are shared by every run of the process.
struct RunResources {
  shell::Console& console;
  shell::ErrorReporter& reporter;
  network::LinkStateViews& views;
  routing::RouteTable& routeTable;
  BlockingTypes& blockingTypes;
  RandomGenerator& random;
};

struct RunSettings {
  std::int32_t pathPolicy = 2;
  std::int32_t updateInterval = 0;
  std::int32_t pathCount = 4;
  // Steps only the sources that have something to do and copies views lazily. Off, the
  // run steps every source at every tick and copies every due view whole: the same
  // output, far slower; kept to check the fast run against.
  bool eventDriven = true;
};

// Runs every call source to the end of the run, prints the trace and the blocking report,
// waits for a key, then releases the sources, views and route entries and gives the live
// network back its loaded state. Every source must have its pair's view.
void runSimulation(NetworkState& network, RunResources& resources, const RunSettings& settings);

// Releases call sources, views and route entries that no run consumed.
void releaseCallSources(NetworkState& network, RunResources& resources);

}  // namespace calls
