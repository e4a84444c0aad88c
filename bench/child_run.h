// Runs wrnsim on a script and measures it; reads back what its output shows.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace bench {

struct ChildRun {
  bool exitedZero = false;
  std::string status;     // "exit N" or "signal N"
  double seconds = 0;     // wall time from before the fork to after the wait
  double cpuSeconds = 0;  // user and system time of the child
  double peakMegabytes = 0;
};

// Runs `program` in `directory` with `script` as standard input and standard output
// sent to `output` (none: /dev/null). Throws std::runtime_error when it cannot start.
ChildRun runChild(const std::filesystem::path& program, const std::filesystem::path& directory,
                  const std::filesystem::path& script,
                  const std::optional<std::filesystem::path>& output);

struct TraceSummary {
  bool reportEnd = false;     // "Pulse tecla para continuar..." seen
  bool reportHeader = false;  // "\t -Bloqueos Tipo 0: " seen
  std::array<std::optional<std::int64_t>, 5> blockingTotals;
  std::int64_t callStarts = 0;  // trace lines "\t%i-%i H "
  std::int64_t errorLines = 0;  // lines "err:%i pulsar tecla"
};

TraceSummary scanTrace(const std::filesystem::path& output);

}  // namespace bench
