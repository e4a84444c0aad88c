// The generated traffic a command line asks for: the model, a load turned into gaps, and a
// traffic file's pairs; a request that cannot be met throws UsageError.
#pragma once

#include <string>
#include <vector>

#include "experiment/experiment.h"
#include "experiment/traffic_matrix.h"
#include "experiment/traffic_model.h"
#include "lab/commands.h"

namespace lab {

// The holding kind, mean and call count of the options.
experiment::TrafficModel trafficModel(const TrafficOptions& options);

// The same with the mean gap that offers `load` Erlang per pair; refused when a source,
// which reads one line per tick, could not offer it.
experiment::TrafficModel trafficForLoad(const TrafficOptions& options, double load);

// Throws UsageError when every call of the plan comes before its warm-up ends, so that the
// run would count none: every generated call arrives before it, and no call of the listed
// files can start after it (experiment/call_file_reach.h). `where` ("at load 0.5 with
// seed 3") places it, when not empty. A plan without a warm-up passes.
void refuseEmptyWarmup(const experiment::ExperimentPlan& plan, const std::string& where = {});

struct TrafficFile {
  std::vector<experiment::PairLoad> pairs;
  // The file's SHA-256, for the records.
  std::string sha256;
};

// The traffic file's pairs, at least one of them with a load.
TrafficFile readTrafficMatrix(const std::string& path);

}  // namespace lab
