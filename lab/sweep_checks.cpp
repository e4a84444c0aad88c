#include "lab/sweep_checks.h"

#include <sstream>

#include "lab/machine_fit.h"
#include "lab/traffic_options.h"

namespace lab {

namespace {

// The run of the grid's first point at `load` with `seed`.
experiment::ExperimentPlan runAt(const experiment::SweepPlan& plan, double load,
                                 std::uint64_t seed) {
  experiment::SweepTask task{experiment::sweepPoints(plan).front(), seed};
  task.key.load = load;
  return experiment::experimentOf(plan, task);
}

}  // namespace

void refuseEmptyWarmups(const experiment::SweepPlan& plan, std::int64_t seeds) {
  if (plan.warmup <= 0 || plan.seeds.empty()) return;
  for (double load : plan.loads) {
    for (std::int64_t i = 0; i < seeds; ++i) {
      const std::uint64_t seed = plan.seeds.front() + static_cast<std::uint64_t>(i);
      std::ostringstream where;
      where << "at load " << load << " with seed " << seed;
      refuseEmptyWarmup(runAt(plan, load, seed), where.str());
    }
  }
}

void refuseUnfitSweep(const experiment::SweepPlan& plan, bool records, unsigned runsAtOnce,
                      std::uint64_t memory) {
  if (plan.seeds.empty()) return;
  for (double load : plan.loads) {
    std::ostringstream where;
    where << "at load " << load;
    refuseUnfit(runAt(plan, load, plan.seeds.front()), records, runsAtOnce, memory, where.str());
  }
}

}  // namespace lab
