#include "run/run_loop.h"

#include "run/event_loop.h"

namespace run {

RunSummary runSimulation(NetworkState& network, RunResources& resources,
                         const RunSettings& settings, RunDriver driver) {
  RunSteps run(network, resources, settings);
  std::int64_t ticks = 0;
  if (run.prepare() && run.sourceCount() > 0)
    ticks = (driver != nullptr ? driver : runByEvents)(run);
  return run.finish(ticks);
}

}  // namespace run
