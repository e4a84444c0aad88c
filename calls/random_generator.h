// The process's pseudo-random generator, used by the random path policy: the one the
// policy interface hands to every policy, so that built-in and plug-in policies draw from
// the same sequence.
#pragma once

#include "policy/policy.h"

namespace calls {

// A 32-bit linear congruential generator whose state is 1 when made and is never seeded
// again, so one program execution replays the same draws from its start.
using RandomGenerator = wrnsim::Random;

}  // namespace calls
