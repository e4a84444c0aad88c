// The records a run works on, the settings it follows and what it reports back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
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
#include "run/policy_makers.h"
#include "run/run_observer.h"

namespace run {

// A loaded network and the call sources defined on it.
struct NetworkState {
  NetworkState(std::int32_t lambdaCount, std::int32_t fiberCount)
      : loadedTable(lambdaCount, fiberCount), liveTable(lambdaCount, fiberCount) {}

  network::LinkTable loadedTable;
  network::LinkTable liveTable;
  network::NodeList nodeList;
  std::int32_t nodeCount = 0;
  // One entry per wavelength the assignment may try; made when the network is opened, so
  // that a lack of memory is told then (code 1650).
  std::vector<std::int32_t> wavelengthOrder;
  calls::CallSources callSources;
};

// Records that outlive a run and are shared by every run of a session.
struct RunResources {
  base::Output& output;
  // Asked for a key after the report; without one nobody is waited for.
  base::KeySource* keys;
  base::ErrorReporter& reporter;
  network::LinkStateViews& views;
  routing::RouteTable& routeTable;
  calls::BlockingTypes& blockingTypes;
  calls::RandomGenerator& random;
  // Told of every call and every change of the live network; none for the console.
  RunObserver* observer = nullptr;
  // The policies to decide with; none for the built-in ones.
  const PolicyMakers* policies = nullptr;
};

// Lines read by a run's sources and held until their calls are due that are kept as read,
// all sources together (8 bytes each): 16 MB at most, whatever the run's length. Past it,
// lines that can be read again are, when due.
inline constexpr std::size_t kKeptLines = std::size_t{2} << 20;

struct RunSettings {
  std::int32_t pathPolicy = 2;
  std::int32_t updateInterval = 0;
  std::int32_t pathCount = 4;
  // What the routing was asked for, told to the policies.
  std::int32_t maxSharedLinks = 2;
  // With an interval of 0, pairs read the live network where their views would copy it at
  // every read, and no view is copied or kept. The console's views differ from that only
  // past its clock's wrap (2^32 ticks), where they stop being refreshed.
  bool viewsFollowLive = false;
  // See kKeptLines; fewer makes the same run in less memory and more time.
  std::size_t keptLines = kKeptLines;
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
  std::array<std::int64_t, calls::kBlockingTypeCount> blockingTotals{};
  // Ticks simulated, the last one included.
  std::int64_t ticks = 0;
  // Steps of sources taken, those for a view alone included: the run's work, which follows
  // its events rather than its ticks.
  std::int64_t sourceSteps = 0;
  // Calls blocked because a policy's answer failed the checks, and what was wrong with the
  // first (empty without one).
  std::int64_t policyErrors = 0;
  std::string firstPolicyError;
};

// Releases the call sources, with the views and route entries made for them.
void releaseCallSources(NetworkState& network, RunResources& resources);

// Ticks are counted from the run's start in 64 bits; the clock the trace shows, and that
// call times are compared with, is their 32-bit value.
inline std::int32_t clockOf(std::int64_t tick) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(tick));
}

inline std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace run
