// Time of the candidate path search: every ordered pair of the reference networks and of a
// random one, and searches that only the limits end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "routing/candidate_search.h"
#include "support/matrix_network.h"
#include "support/test_console.h"

namespace {

using testing_support::Network;

struct Fixture {
  testing_support::TestConsole console;
  base::ErrorReporter reporter{console};
};

Network nsfnet(base::ErrorReporter& reporter) {
  return testing_support::networkFromMatrix(testing_support::nsfnetRows(), reporter);
}
Network cost239(base::ErrorReporter& reporter) {
  return testing_support::networkFromMatrix(testing_support::cost239Rows(), reporter);
}
Network random60(base::ErrorReporter& reporter) {
  return testing_support::randomNetwork(60, 240, 0.0, 2024, reporter);
}

using NetworkMaker = std::function<Network(base::ErrorReporter&)>;

// One iteration searches every ordered pair of distinct nodes.
void allPairs(benchmark::State& state, const NetworkMaker& make) {
  Fixture fixture;
  const Network net = make(fixture.reporter);
  const auto pathCount = static_cast<std::int32_t>(state.range(0));
  const auto maxCoincidences = static_cast<std::int32_t>(state.range(1));
  const auto nodes = static_cast<routing::NodeId>(net.nodes.size());
  std::int64_t searches = 0, limited = 0, passes = 0, accepted = 0;
  std::chrono::duration<double> naturalTime{0}, limitTime{0};
  for (auto _ : state) {
    for (routing::NodeId origin = 0; origin < nodes; ++origin) {
      for (routing::NodeId destination = 0; destination < nodes; ++destination) {
        if (origin == destination) continue;
        routing::PathSet result;
        const auto started = std::chrono::steady_clock::now();
        const routing::SearchOutcome outcome = routing::searchCandidatePaths(
            result, net.table, net.nodes, origin, destination, maxCoincidences, pathCount,
            &fixture.console, fixture.reporter);
        benchmark::DoNotOptimize(result);
        (outcome.stoppedAtLimit() ? limitTime : naturalTime) +=
            std::chrono::steady_clock::now() - started;
        ++searches;
        limited += outcome.stoppedAtLimit() ? 1 : 0;
        passes += outcome.passes;
        accepted += outcome.accepted;
      }
    }
  }
  using benchmark::Counter;
  state.counters["per_search"] =
      Counter(static_cast<double>(searches), Counter::kIsRate | Counter::kInvert);
  state.counters["at_limit"] = Counter(static_cast<double>(limited), Counter::kAvgIterations);
  state.counters["passes"] = static_cast<double>(passes) / static_cast<double>(searches);
  state.counters["paths"] = static_cast<double>(accepted) / static_cast<double>(searches);
  // Searches that end on their own and those the limits end, timed apart (seconds each).
  if (searches > limited) {
    state.counters["natural_s"] = naturalTime.count() / static_cast<double>(searches - limited);
  }
  if (limited > 0) state.counters["limit_s"] = limitTime.count() / static_cast<double>(limited);
}

// Searches that never end on their own, so that only the default limits stop them.
void toLimit(benchmark::State& state, const NetworkMaker& make, std::int32_t maxCoincidences,
             std::int32_t pathCount) {
  Fixture fixture;
  const Network net = make(fixture.reporter);
  routing::SearchOutcome outcome;
  for (auto _ : state) {
    routing::PathSet result;
    outcome = routing::searchCandidatePaths(result, net.table, net.nodes, 0, 1, maxCoincidences,
                                            pathCount, &fixture.console, fixture.reporter);
    benchmark::DoNotOptimize(result);
  }
  state.counters["at_limit"] = outcome.stoppedAtLimit() ? 1 : 0;
  state.counters["passes"] = static_cast<double>(outcome.passes);
  state.counters["paths"] = static_cast<double>(outcome.accepted);
  state.counters["working_list"] = static_cast<double>(outcome.peakWorkingList);
}

Network oneWayTriangle(base::ErrorReporter& reporter) {
  return testing_support::networkOf(3, {{0, 1}, {1, 2}, {2, 0}}, reporter);
}
Network ring4(base::ErrorReporter& reporter) {
  return testing_support::networkOf(
      4, {{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 0}, {0, 3}}, reporter);
}
Network complete(int nodes, base::ErrorReporter& reporter) {
  std::vector<std::pair<int, int>> links;
  for (int a = 0; a < nodes; ++a) {
    for (int b = 0; b < nodes; ++b) {
      if (a != b) links.emplace_back(a, b);
    }
  }
  return testing_support::networkOf(nodes, links, reporter);
}

void registerAll() {
  const std::pair<const char*, NetworkMaker> networks[] = {
      {"NSFNET", nsfnet}, {"COST239", cost239}, {"random60", random60}};
  for (const auto& [name, make] : networks) {
    benchmark::RegisterBenchmark((std::string("AllPairs/") + name).c_str(), allPairs, make)
        ->Args({4, 2})
        ->Args({8, 1})
        ->Unit(benchmark::kMillisecond);
  }
  const auto limit = [](const char* name, NetworkMaker make, std::int32_t maxCoincidences,
                        std::int32_t pathCount) {
    benchmark::RegisterBenchmark((std::string("ToLimit/") + name).c_str(), toLimit, make,
                                 maxCoincidences, pathCount)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  };
  limit("triangle_long_walks", oneWayTriangle, 0, 4);
  limit("ring_accept_all", ring4, 1'000'000, 2'000'000'000);
  limit(
      "complete60_wide", [](base::ErrorReporter& r) { return complete(60, r); }, -1, 4);
  limit("random60_no_overlap", random60, 0, 1'000);
  limit("nsfnet_no_overlap", nsfnet, 0, 1'000);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
