// Time of the k-shortest routing: every ordered pair of the reference networks, of a
// network of the field (Garr200902), of the 200-node random network of simulation_bench's
// large scenario, and of a network given with --network FILE.con (the Topology Zoo's Kdl,
// converted, is the one to try: 567,762 pairs), each with as many threads as the machine has.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>

#include "bench/workload.h"
#include "routing/k_shortest_paths.h"
#include "support/matrix_network.h"
#include "support/test_console.h"

namespace {

using testing_support::Network;
using NetworkMaker = std::function<Network(base::ErrorReporter&)>;

// The rows of a topology file's table: the text between '*' and ';' of each line after
// "*tabla".
std::vector<std::string> tableRows(const std::string& text) {
  std::vector<std::string> rows;
  std::istringstream lines(text);
  bool inTable = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("*tabla")) {
      inTable = true;
    } else if (inTable && line.starts_with("*")) {
      rows.push_back(line.substr(1, line.find(';') - 1));
    }
  }
  return rows;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One iteration routes every ordered pair of distinct nodes, destinations shared out among
// the threads, each with a search of its own.
void routeAllPairs(benchmark::State& state, const NetworkMaker& make) {
  testing_support::TestConsole console;
  base::ErrorReporter reporter(console);
  const Network net = make(reporter);
  const auto nodes = static_cast<routing::NodeId>(net.nodes.size());
  const auto pathCount = static_cast<std::int32_t>(state.range(0));
  const auto maxShared = static_cast<std::int32_t>(state.range(1));
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::int64_t searches = 0, limited = 0, full = 0;
  double slowest = 0.0;
  std::mutex mutex;
  for (auto _ : state) {
    std::atomic<routing::NodeId> next{0};
    auto work = [&] {
      routing::KShortestSearch search(net.table);
      std::vector<routing::Path> kept;
      std::int64_t mySearches = 0, myLimited = 0, myFull = 0;
      double mySlowest = 0.0;
      for (routing::NodeId destination = next++; destination < nodes; destination = next++) {
        for (routing::NodeId origin = 0; origin < nodes; ++origin) {
          if (origin == destination) continue;
          const auto started = std::chrono::steady_clock::now();
          const routing::KShortestOutcome outcome =
              search.find(kept, origin, destination, maxShared, pathCount);
          mySlowest = std::max(
              mySlowest,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
          benchmark::DoNotOptimize(kept);
          ++mySearches;
          myLimited += outcome.stoppedAtLimit() ? 1 : 0;
          myFull += static_cast<std::int64_t>(kept.size()) == pathCount ? 1 : 0;
        }
      }
      std::lock_guard lock(mutex);
      searches += mySearches;
      limited += myLimited;
      full += myFull;
      slowest = std::max(slowest, mySlowest);
    };
    std::vector<std::jthread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
  }
  using benchmark::Counter;
  state.counters["pairs"] = Counter(static_cast<double>(searches), Counter::kAvgIterations);
  state.counters["at_limit"] = Counter(static_cast<double>(limited), Counter::kAvgIterations);
  state.counters["all_paths"] = Counter(static_cast<double>(full), Counter::kAvgIterations);
  state.counters["slowest_s"] = slowest;
  state.counters["threads"] = threads;
}

void registerAll(const std::string& extra) {
  std::vector<std::pair<std::string, NetworkMaker>> networks = {
      {"NSFNET",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(testing_support::nsfnetRows(), r);
       }},
      {"COST239",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(testing_support::cost239Rows(), r);
       }},
      {"Garr200902",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(
             tableRows(fileText(WRNSIM_EXAMPLES_DIR "/networks/Garr200902.con")), r);
       }},
      {"random200",
       [](base::ErrorReporter& r) {
         return testing_support::networkFromMatrix(
             tableRows(bench::makeWorkload("large", 1)->topologyText), r);
       }},
  };
  if (!extra.empty()) {
    networks.emplace_back(extra, [extra](base::ErrorReporter& r) {
      return testing_support::networkFromMatrix(tableRows(fileText(extra)), r);
    });
  }
  for (const auto& [name, make] : networks) {
    benchmark::RegisterBenchmark(("KShortest/" + name).c_str(), routeAllPairs, make)
        ->Args({4, 2})
        ->Args({8, 1})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string extra;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::string(argv[i]) == "--network" && i + 1 < argc) {
      extra = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  registerAll(extra);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
