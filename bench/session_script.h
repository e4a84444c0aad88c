// The scripted console session that sets wrnsim up for a workload and runs it.
#pragma once

#include <cstdint>
#include <string>

#include "bench/workload.h"

namespace bench {

struct RunSettings {
  int policy = 2;
  std::int32_t interval = 0;
};

// One answer per line: the configuration menus, EJECUTAR with the topology, every call
// source, then (when `withRun`) ESC and the key after the report, then N and 9. Without
// the run it times everything the run needs around it.
std::string sessionScript(const Workload& workload, const RunSettings& settings, bool withRun);

}  // namespace bench
