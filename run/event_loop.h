// The run's tick loop: each source is stepped only at the ticks at which it has something
// to do, and the clock jumps over the ticks at which none has.
#pragma once

#include <cstdint>

#include "run/run_steps.h"

namespace run {

// Steps a prepared run with at least one source until the tick in which some source
// holds no call after its start pass, that tick run to its end. Prints exactly what
// stepping every source at every tick would. Returns the number of ticks simulated;
// 0 after reporting 1500 when its bookkeeping cannot be made.
std::int64_t runByEvents(RunSteps& run);

}  // namespace run
