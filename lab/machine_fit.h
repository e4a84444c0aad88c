// Requests refused before a run starts because they cannot fit the machine: memory beyond
// what it has (the rule in experiment/run_demand.h), or calls due past the run clock's
// last tick.
#pragma once

#include <cstdint>
#include <string>

#include "experiment/experiment.h"
#include "experiment/run_demand.h"

namespace lab {

// The machine's physical memory in bytes; 0 when it cannot be read.
std::uint64_t physicalMemory();

// The plan's demand; throws UsageError, saying what the request would need, when
// `runsAtOnce` such runs need more than `memory` bytes (unchecked when 0) or its calls run
// past the clock. `record`: the run's whole record is kept; `where` ("at load 0.5") places
// it, when not empty.
experiment::RunDemand refuseUnfit(const experiment::ExperimentPlan& plan, bool record,
                                  unsigned runsAtOnce, std::uint64_t memory,
                                  const std::string& where = {});

}  // namespace lab
