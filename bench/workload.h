// The networks and call files a whole-run benchmark feeds to wrnsim, made from a seed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace bench {

// Draws from std::mt19937 with our own arithmetic, so that a seed gives the same files
// on every standard library (the library's distributions are not specified exactly).
class SeededDraw {
 public:
  explicit SeededDraw(std::uint32_t seed) : engine_(seed) {}
  // Uniform in [low, high]; needs low <= high.
  std::int32_t between(std::int32_t low, std::int32_t high);

 private:
  std::mt19937 engine_;
};

struct CallLine {
  std::int32_t gap = 0;
  std::int32_t duration = 0;
};

struct Source {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  std::string fileName;  // at most 19 characters, as the program's buffer holds
  std::vector<CallLine> lines;
};

struct Workload {
  std::string topologyName;  // the file is topologyName + ".con"
  std::string topologyText;
  std::int32_t nodeCount = 0;
  std::optional<std::int32_t> lambdaCount;  // none: the program's default
  std::optional<std::int32_t> fiberCount;
  std::vector<int> policies;
  std::vector<std::int32_t> intervals;
  std::vector<Source> sources;
};

// "nsfnet", "large" or "small"; none for another name.
std::optional<Workload> makeWorkload(const std::string& scenario, std::uint32_t seed);

// Writes the topology file and every call file into `directory`.
void writeWorkload(const Workload& workload, const std::filesystem::path& directory);

std::int64_t callLineCount(const Workload& workload);

// How many calls the run starts before it ends, found by replaying the run's clock
// (one line read per source and tick, the shared start base, the start pass before the
// end pass, the end after the first tick that leaves some source without a call).
// Needs durations of at least 1 and gaps of at least 0.
std::int64_t startedCallCount(const Workload& workload);

}  // namespace bench
