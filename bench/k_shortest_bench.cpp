// Time of the k-shortest routing: every ordered pair of the reference networks, and pairs of
// a large sparse network where many searches run into the limits.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <random>

#include "routing/k_shortest_paths.h"
#include "support/matrix_network.h"
#include "support/test_console.h"

namespace {

using testing_support::Network;
using NetworkMaker = std::function<Network(base::ErrorReporter&)>;

// One iteration routes `pairs` ordered pairs drawn with a fixed seed (every ordered pair of
// distinct nodes when 0).
void routePairs(benchmark::State& state, const NetworkMaker& make, int pairs) {
  testing_support::TestConsole console;
  base::ErrorReporter reporter(console);
  const Network net = make(reporter);
  const auto nodes = static_cast<routing::NodeId>(net.nodes.size());
  std::vector<std::pair<routing::NodeId, routing::NodeId>> chosen;
  std::mt19937 random(40);
  std::uniform_int_distribution<routing::NodeId> pick(0, nodes - 1);
  for (routing::NodeId a = 0; pairs == 0 && a < nodes; ++a) {
    for (routing::NodeId b = 0; b < nodes; ++b) {
      if (a != b) chosen.emplace_back(a, b);
    }
  }
  while (static_cast<int>(chosen.size()) < pairs) {
    const routing::NodeId a = pick(random), b = pick(random);
    if (a != b) chosen.emplace_back(a, b);
  }
  const auto pathCount = static_cast<std::int32_t>(state.range(0));
  const auto maxShared = static_cast<std::int32_t>(state.range(1));
  std::int64_t searches = 0, limited = 0, full = 0;
  double slowest = 0.0;
  for (auto _ : state) {
    for (const auto& [origin, destination] : chosen) {
      std::vector<routing::Path> kept;
      const auto started = std::chrono::steady_clock::now();
      const routing::KShortestOutcome outcome =
          routing::kShortestPaths(kept, net.table, origin, destination, maxShared, pathCount);
      slowest = std::max(
          slowest,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
      benchmark::DoNotOptimize(kept);
      ++searches;
      limited += outcome.stoppedAtLimit() ? 1 : 0;
      full += static_cast<std::int64_t>(kept.size()) == pathCount ? 1 : 0;
    }
  }
  using benchmark::Counter;
  state.counters["per_search"] =
      Counter(static_cast<double>(searches), Counter::kIsRate | Counter::kInvert);
  state.counters["slowest_s"] = slowest;
  state.counters["at_limit"] = Counter(static_cast<double>(limited), Counter::kAvgIterations);
  state.counters["all_paths"] = Counter(static_cast<double>(full), Counter::kAvgIterations);
}

void registerAll() {
  const std::tuple<const char*, NetworkMaker, int> networks[] = {
      {"NSFNET",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(testing_support::nsfnetRows(), r);
       },
       0},
      {"COST239",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(testing_support::cost239Rows(), r);
       },
       0},
      {"random754_40pairs",
       [](base::ErrorReporter& r) { return testing_support::randomNetwork(754, 900, 0.0, 7, r); },
       40},
  };
  for (const auto& [name, make, pairs] : networks) {
    benchmark::RegisterBenchmark((std::string("KShortest/") + name).c_str(), routePairs, make,
                                 pairs)
        ->Args({4, 2})
        ->Args({8, 1})
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
