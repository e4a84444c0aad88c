// What a sweep refuses before its first run: warm-ups that leave a run nothing to count,
// and runs that cannot fit the machine.
#pragma once

#include <cstdint>

#include "experiment/sweep.h"

namespace lab {

// Throws UsageError when some load and seed the sweep may run (`seeds`, from the plan's
// first) would count no call after the warm-up. Policy and interval do not change the
// traffic, so each load and seed is looked at once.
void refuseEmptyWarmups(const experiment::SweepPlan& plan, std::int64_t seeds);

// Throws UsageError when at some load `runsAtOnce` runs would need more than `memory`
// bytes (unchecked when 0), or a run's calls would pass the run clock. `records`: each
// run's whole record is made.
void refuseUnfitSweep(const experiment::SweepPlan& plan, bool records, unsigned runsAtOnce,
                      std::uint64_t memory);

}  // namespace lab
