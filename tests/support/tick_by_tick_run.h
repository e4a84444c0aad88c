// The plain run loop that the program's event-driven one is checked against: every source
// stepped at every tick, no search left out, no tick skipped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/run_steps.h"

namespace testing_support {

inline std::int64_t runEveryTick(run::RunSteps& run) {
  for (std::int64_t tick = 0;; ++tick) {
    bool endMark = false;
    for (std::size_t i = 0; i < run.sourceCount(); ++i) endMark = run.step(i, tick) || endMark;
    if (endMark) return tick + 1;
  }
}

}  // namespace testing_support
