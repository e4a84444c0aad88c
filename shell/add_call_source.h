// The S key of the EJECUTAR menu: a new call source with its pair's view, candidate
// paths and route entries.
#pragma once

#include <cstdint>

#include "shell/process.h"

namespace shell {

// The last pair typed, kept across S keys.
struct EjecutarPair {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
};

// Asks for the pair and the call file; on any refusal nothing is left half-made.
void addCallSource(Process& process, EjecutarPair& pair);

}  // namespace shell
