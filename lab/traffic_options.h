// The generated traffic a command line asks for: the model, a load turned into gaps, and a
// traffic file's pairs; a request that cannot be met throws UsageError.
#pragma once

#include <string>
#include <vector>

#include "lab/commands.h"
#include "lab/traffic_matrix.h"
#include "lab/traffic_model.h"

namespace lab {

// The holding kind, mean and call count of the options.
TrafficModel trafficModel(const TrafficOptions& options);

// The same with the mean gap that offers `load` Erlang per pair; refused when a source,
// which reads one line per tick, could not offer it.
TrafficModel trafficForLoad(const TrafficOptions& options, double load);

struct TrafficFile {
  std::vector<PairLoad> pairs;
  // The file's SHA-256, for the records.
  std::string sha256;
};

// The traffic file's pairs, at least one of them with a load.
TrafficFile readTrafficMatrix(const std::string& path);

}  // namespace lab
