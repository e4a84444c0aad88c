// The six simulation parameters, set in the configuration menus and kept for the process.
#pragma once

#include <cstdint>

namespace base {

// No range is enforced on entry; each consumer treats values it cannot work with safely.
struct Config {
  std::int32_t lambdaCount = 20;
  std::int32_t fiberCount = 2;
  std::int32_t pathCount = 4;
  std::int32_t maxCoincidences = 2;
  std::int32_t pathPolicy = 2;
  std::int32_t updateInterval = 0;
};

}  // namespace base
