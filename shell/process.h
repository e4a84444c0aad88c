// Everything that lives for the whole process: console, files, configuration, buffers,
// blocking counters.
#pragma once

#include <cstdint>
#include <string>

#include "base/config.h"
#include "base/console.h"
#include "base/error_reporter.h"
#include "base/input_file.h"
#include "calls/blocking_stats.h"
#include "calls/random_generator.h"
#include "network/link_state_view.h"
#include "routing/candidate_search.h"
#include "routing/route_table.h"

namespace shell {

struct Process {
  Process(base::Console& console, base::FileSystem& files)
      : console(console), reporter(console), files(files) {}

  base::Console& console;
  base::ErrorReporter reporter;
  base::FileSystem& files;
  base::Config config;
  std::string topologyName;
  std::string callFileName;
  std::string recordBuffer;
  std::string tokenDelimiters;
  calls::BlockingTypes blockingTypes;
  // Their numbering (and the generator's state) carries on across EJECUTAR visits and runs.
  network::LinkStateViews views;
  routing::RouteTable routeTable;
  calls::RandomGenerator random;
  // Off only in tests that check the fast run against the plain tick-by-tick one.
  bool eventDrivenRuns = true;
  routing::SearchLimits searchLimits = {};
};

// Sets the defaults, makes the buffers (reporting codes 30, 60, 175, 180 when one cannot
// be made) and creates the blocking types.
void startUp(Process& process);

}  // namespace shell
