// What a run would ask of the machine, estimated from its plan before anything is routed or
// run, so that a request that can never fit is refused at once rather than after hours.
//
// The rule, with the sizes measured on this program's records (see run_demand.cpp):
//   memory ~ sources x (2.2 kB + P x h x (170 B + 4 B x wavelengths))      paths and views
//            (sources x (2.2 kB + P x h x 46 B) at refresh interval 0: no view copies)
//          + calls in progress x (320 B + 16 B x h)                       the run's calls
//          + sources x 1.6 kB, when the run's record is kept (--json)     the record
//   where P = --paths, at most what the routing can accept for a pair (the console's
//   search 200,000, k-shortest 5,000; a paths file: its own paths), h = the mean hop
//   count of the network's shortest routes plus one (later candidates are longer), and
//   calls in progress = the sum of the generated pairs' loads in Erlang (Little's law:
//   arrival rate x mean holding time). The calls still to come are not counted: they are
//   made as the run advances.
//   last tick ~ (n + 6 sqrt(n)) x g + 20 x H for the busiest generated pair, n its calls,
//   g its mean gap and H the mean holding: its last arrival six deviations late, then held
//   far longer than the mean. The run's clock is 32 bits, as the console's: a call due
//   past 2^31 - 1 would start at a wrapped tick, so such a plan cannot run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "experiment/experiment.h"

namespace experiment {

// The run clock's last tick.
inline constexpr double kLastClockTick = 2147483647.0;

struct RunDemand {
  std::size_t sources = 0;
  // Calls in the sources' files, generated ones included. A run ends when its first source
  // has none left, so it starts fewer.
  std::int64_t plannedCalls = 0;
  std::int64_t pathsPerSource = 0;
  double hopsPerPath = 0.0;
  double callsInProgress = 0.0;
  // Bytes for the paths and views, the calls in progress (with the lines read ahead that
  // are kept) and the record.
  double pathBytes = 0.0;
  double callBytes = 0.0;
  double recordBytes = 0.0;
  // The latest tick a generated call is expected to need; 0 without generated traffic.
  double lastTick = 0.0;

  double bytes() const { return pathBytes + callBytes + recordBytes; }
};

// The demand of `plan` on `network` (planRoutes of the plan without its listed sources);
// `record` when the run's whole record is kept.
RunDemand estimateDemand(const ExperimentPlan& plan, const PlannedRoutes& network, bool record);

// The sources a run of the plan has, listed and generated, on a network of `nodes` nodes.
std::size_t sourcesPlanned(const ExperimentPlan& plan, std::int32_t nodes);

}  // namespace experiment
