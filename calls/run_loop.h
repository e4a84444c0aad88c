// The simulation run: ticks, call reading, view refreshes, path choice, wavelength
// assignment, reservation and release on the live network, the report and the clean-up.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/error_reporter.h"
#include "base/key_source.h"
#include "base/output.h"
#include "calls/blocking_stats.h"
#include "calls/call_source.h"
#include "calls/random_generator.h"
#include "network/link_state_view.h"
#include "network/link_table.h"
#include "network/node_list.h"
#include "routing/route_table.h"

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
  base::Output& output;
  // Asked for a key after the report; without one nobody is waited for.
  base::KeySource* keys;
  base::ErrorReporter& reporter;
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

// What a run did, counted before the clean-up empties the statistics.
struct RunSummary {
  std::int64_t callsRead = 0;
  std::int64_t callsStarted = 0;
  // Blocked by wavelength assignment (" BLOKEO 0 ").
  std::int64_t callsBlocked = 0;
  // Started calls of which at least one hop failed on the live network.
  std::int64_t callsWithUpdateError = 0;
  std::int64_t callsWithoutPath = 0;
  // The report's totals, 0 for a type without events.
  std::array<std::int64_t, kBlockingTypeCount> blockingTotals{};
  // Ticks simulated, the last one included.
  std::int64_t ticks = 0;
};

// Runs every call source to the end of the run, prints the trace and the blocking report,
// waits for a key, then releases the sources, views and route entries and gives the live
// network back its loaded state. Every source must have its pair's view.
RunSummary runSimulation(NetworkState& network, RunResources& resources,
                         const RunSettings& settings);

// Releases call sources, views and route entries that no run consumed.
void releaseCallSources(NetworkState& network, RunResources& resources);

}  // namespace calls
