// A whole simulation run: the sources stepped tick by tick to the end of the run, the
// trace, the blocking report and the clean-up.
#pragma once

#include <cstdint>

#include "run/run_setup.h"
#include "run/run_steps.h"

namespace run {

// A loop that steps a prepared run with at least one source to its end and returns the
// number of ticks simulated.
using RunDriver = std::int64_t (*)(RunSteps& run);

// Runs every call source to the end of the run with `driver` (the event-driven loop when
// none is given), prints the trace and the blocking report, waits for a key, then releases
// the sources, views and route entries and gives the live network back its loaded state.
// Every source must have its pair's view. When the run's bookkeeping cannot be made,
// reports 1500 and goes straight to the report.
RunSummary runSimulation(NetworkState& network, RunResources& resources,
                         const RunSettings& settings, RunDriver driver = nullptr);

}  // namespace run
