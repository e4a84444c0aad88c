#include "experiment/route_once.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "base/error_reporter.h"
#include "experiment/experiment.h"
#include "experiment/trace_output.h"
#include "routing/candidate_search.h"
#include "routing/k_shortest_paths.h"

namespace experiment {

namespace {

// One thread's searches, each pair's paths added to `found`.
class PairRouter {
 public:
  PairRouter(const run::NetworkState& network, const base::Config& config, session::Routing routing)
      : network_(network), config_(config), routing_(routing) {}

  void route(const NodePair& pair, routing::PathCatalogue& found) {
    const auto [origin, destination] = pair;
    if (routing_ == session::Routing::kKShortest) {
      if (!kShortest_)
        kShortest_ = std::make_unique<routing::KShortestSearch>(network_.loadedTable);
      const routing::KShortestOutcome outcome =
          kShortest_->find(paths_, origin, destination, config_.maxCoincidences, config_.pathCount);
      found.add(origin, destination, paths_, outcome.stoppedAtLimit());
      return;
    }
    routing::PathSet set;
    const routing::SearchOutcome outcome = routing::searchCandidatePaths(
        set, network_.loadedTable, network_.nodeList, origin, destination, config_.maxCoincidences,
        config_.pathCount, nullptr, reporter_);
    // A run would go on with part of the paths after reporting; a shared set must be whole.
    if (outcome.end == routing::SearchEnd::kAllocationFailure) throw std::bad_alloc();
    found.add(origin, destination, set, outcome.stoppedAtLimit());
  }

 private:
  const run::NetworkState& network_;
  const base::Config& config_;
  session::Routing routing_;
  TraceOutput nowhere_;
  base::ErrorReporter reporter_{nowhere_, nullptr};
  std::unique_ptr<routing::KShortestSearch> kShortest_;
  std::vector<routing::Path> paths_;
};

}  // namespace

std::vector<NodePair> plannedPairs(const ExperimentPlan& plan, std::int32_t nodeCount) {
  std::vector<NodePair> pairs;
  for (const SourcePlan& source : plan.sources)
    pairs.emplace_back(source.origin, source.destination);
  if (plan.allPairs) {
    for (std::int32_t origin = 0; origin < nodeCount; ++origin) {
      for (std::int32_t destination = 0; destination < nodeCount; ++destination) {
        if (origin != destination) pairs.emplace_back(origin, destination);
      }
    }
  }
  for (const PairLoad& pair : plan.matrix) {
    if (pair.load > 0.0) pairs.emplace_back(pair.origin, pair.destination);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  return pairs;
}

RoutingChoice routeOnce(const run::NetworkState& network, const base::Config& config,
                        const RoutingChoice& routing, const std::vector<NodePair>& pairs,
                        unsigned threads) {
  const auto began = std::chrono::steady_clock::now();
  // By destination, so that a thread's k-shortest searches reuse what they learnt of it.
  std::vector<NodePair> work = pairs;
  std::sort(work.begin(), work.end(), [](const NodePair& a, const NodePair& b) {
    return std::pair(a.second, a.first) < std::pair(b.second, b.first);
  });
  // Enough parts that threads finish together; a pair's paths do not depend on its part.
  const std::size_t chunk =
      std::clamp<std::size_t>(work.size() / (std::max(1u, threads) * 16U), 1, 256);
  std::vector<routing::PathCatalogue> parts((work.size() + chunk - 1) / chunk);
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr firstError;
  std::mutex mutex;
  auto run = [&] {
    try {
      PairRouter router(network, config, routing.kind);
      for (std::size_t part = next++; part < parts.size() && !failed; part = next++) {
        const std::size_t end = std::min(work.size(), (part + 1) * chunk);
        for (std::size_t i = part * chunk; i < end; ++i) router.route(work[i], parts[part]);
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!firstError) firstError = std::current_exception();
      failed = true;
    }
  };
  {
    std::vector<std::jthread> pool;
    const unsigned count =
        std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(parts.size())));
    for (unsigned t = 1; t < count; ++t) pool.emplace_back(run);
    run();
  }
  if (firstError) std::rethrow_exception(firstError);
  RoutingChoice routed = routing;
  routed.paths = std::make_shared<const routing::PathCatalogue>(
      routing::PathCatalogue::joined(std::move(parts)));
  routed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return routed;
}

}  // namespace experiment
