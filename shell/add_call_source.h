// The S key of the EJECUTAR menu: a new call source with its pair's view, candidate
// paths and route entries.
#pragma once

#include "calls/run_loop.h"
#include "shell/process.h"

namespace shell {

struct EjecutarPair {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
};

// Asks for the pair and the call file; on any refusal nothing is left half-made.
void addCallSource(Process& process, calls::NetworkState& network, EjecutarPair& pair);

calls::RunResources runResources(Process& process);

}  // namespace shell
