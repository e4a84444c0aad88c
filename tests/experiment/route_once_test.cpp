// Candidate paths found once and shared by runs give the runs that each run's own search
// gives, for both searches and whatever the number of threads that found them.
#include "experiment/route_once.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "experiment/experiment.h"
#include "experiment/sweep.h"
#include "support/matrix_network.h"

namespace experiment {
namespace {

// NSFNET with one regenerator on every link, so that every cause of blocking can happen.
const std::string kNsfnet = testing_support::nsfnetConText(1);

ExperimentPlan allPairsPlan(session::Routing routing, int policy) {
  ExperimentPlan plan;
  plan.topology = kNsfnet;
  plan.config.lambdaCount = 2;
  plan.config.fiberCount = 1;
  plan.config.pathCount = 3;
  plan.config.maxCoincidences = 1;
  plan.config.pathPolicy = policy;
  plan.config.updateInterval = 3;
  plan.routing.kind = routing;
  plan.allPairs = TrafficModel{4.0, HoldingKind::kExponential, 10.0, 30, 7};
  return plan;
}

void expectSameRuns(const ExperimentPlan& searched, const ExperimentPlan& shared) {
  std::ostringstream searchedTrace, sharedTrace;
  const ExperimentResult a = runExperiment(searched, &searchedTrace);
  const ExperimentResult b = runExperiment(shared, &sharedTrace);
  // The trace prints each source's paths, the limit notice, every call and the report.
  EXPECT_TRUE(searchedTrace.str() == sharedTrace.str()) << "the traces differ";
  EXPECT_EQ(a.offered, b.offered);
  EXPECT_EQ(a.blocked, b.blocked);
  ASSERT_EQ(a.pairs.size(), b.pairs.size());
  for (std::size_t i = 0; i < a.pairs.size(); ++i) {
    EXPECT_EQ(a.pairs[i].calls.blocked, b.pairs[i].calls.blocked);
  }
  ASSERT_EQ(a.links.size(), b.links.size());
  for (std::size_t i = 0; i < a.links.size(); ++i) {
    EXPECT_EQ(a.links[i].blockingEvents, b.links[i].blockingEvents);
    EXPECT_EQ(a.links[i].meanOccupancy, b.links[i].meanOccupancy);
  }
  ASSERT_EQ(a.candidates.size(), b.candidates.size());
  for (std::size_t i = 0; i < a.candidates.size(); ++i) {
    EXPECT_EQ(a.candidates[i].paths, b.candidates[i].paths);
    EXPECT_EQ(a.candidates[i].distinctPaths, b.candidates[i].distinctPaths);
    EXPECT_EQ(a.candidates[i].limited, b.candidates[i].limited);
  }
  EXPECT_FALSE(a.routingSeconds);
  ASSERT_TRUE(b.routingSeconds);
  EXPECT_EQ(*b.routingSeconds, shared.routing.seconds);
}

TEST(RouteOnce, SharedPathsRunAsEachRunsOwnSearch) {
  for (session::Routing routing : {session::Routing::kConsole, session::Routing::kKShortest}) {
    for (int policy : {1, 3}) {
      SCOPED_TRACE(routingName(routing) + ", policy " + std::to_string(policy));
      const ExperimentPlan plan = allPairsPlan(routing, policy);
      ExperimentPlan shared = plan;
      shared.routing = routedOnce(plan, 2);
      ASSERT_TRUE(shared.routing.paths);
      EXPECT_EQ(shared.routing.paths->pairs().size(), 14U * 13U);
      expectSameRuns(plan, shared);
    }
  }
}

TEST(RouteOnce, ASearchStoppedAtItsLimitIsSharedSo) {
  // With 8 paths and one shared link the console's search runs into its limits on NSFNET.
  ExperimentPlan plan = allPairsPlan(session::Routing::kConsole, 2);
  plan.allPairs.reset();
  plan.config.pathCount = 8;
  plan.sources = {{0, 12, "1\t5\n2\t5\n0\t9\n"}, {3, 7, "0\t4\n"}, {0, 12, "3\t3\n"}};
  ExperimentPlan shared = plan;
  shared.routing = routedOnce(plan, 1);
  ASSERT_TRUE(shared.routing.paths);
  EXPECT_EQ(shared.routing.paths->pairs().size(), 2U) << "each pair once";
  const routing::PathCatalogue::Pair* limited = shared.routing.paths->find(0, 12);
  ASSERT_NE(limited, nullptr);
  EXPECT_TRUE(limited->limited);
  expectSameRuns(plan, shared);
}

TEST(RouteOnce, ThreadsFindTheSamePaths) {
  for (session::Routing routing : {session::Routing::kConsole, session::Routing::kKShortest}) {
    const ExperimentPlan plan = allPairsPlan(routing, 2);
    const RoutingChoice one = routedOnce(plan, 1);
    const RoutingChoice three = routedOnce(plan, 3);
    ASSERT_EQ(one.paths->pairs().size(), three.paths->pairs().size());
    for (const routing::PathCatalogue::Pair& pair : one.paths->pairs()) {
      const routing::PathCatalogue::Pair* other = three.paths->find(pair.origin, pair.destination);
      ASSERT_NE(other, nullptr);
      ASSERT_EQ(pair.count, other->count);
      EXPECT_EQ(pair.limited, other->limited);
      for (std::size_t i = 0; i < pair.count; ++i) {
        const auto a = one.paths->path(pair.first + i);
        const auto b = three.paths->path(other->first + i);
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
      }
    }
  }
}

TEST(RouteOnce, ASweepFindsThePathsOfItsRunsOnce) {
  SweepPlan sweep;
  sweep.topologyText = kNsfnet;
  sweep.config = allPairsPlan(session::Routing::kKShortest, 2).config;
  sweep.routing.kind = session::Routing::kKShortest;
  sweep.loads = {0.5, 1.0};
  sweep.policies = {choosePathPolicy("2")};
  sweep.intervals = {0};
  sweep.seeds = {1, 2};
  sweep.traffic = TrafficModel{4.0, HoldingKind::kExponential, 10.0, 20, 0};
  const RoutingChoice routed = routedOnce(sweep, 2);
  ASSERT_TRUE(routed.paths);
  sweep.routing = routed;
  for (const SweepTask& task : sweepTasks(sweep)) {
    const ExperimentPlan run = experimentOf(sweep, task);
    EXPECT_EQ(run.routing.paths, routed.paths) << "one catalogue, not a copy";
    ExperimentPlan searched = run;
    searched.routing.paths.reset();
    expectSameRuns(searched, run);
  }
  // A paths file's routing, or one found already, stays as it is.
  EXPECT_EQ(routedOnce(sweep, 2).paths, routed.paths);
}

// Sees, at every call, whether the shared paths are still held anywhere.
class PathsWatch : public run::RunObserver {
 public:
  explicit PathsWatch(std::weak_ptr<const routing::PathCatalogue> paths)
      : paths_(std::move(paths)) {}
  void callStarted(std::size_t, std::int64_t, const run::CallOutcome&) override {
    ++calls;
    if (!paths_.expired()) ++callsWithPaths;
  }
  void hopRefused(std::size_t, std::int64_t, int) override {}
  void fibresChanged(std::size_t, int, std::int64_t) override {}
  void runEnded(std::int64_t) override {}

  int calls = 0;
  int callsWithPaths = 0;

 private:
  std::weak_ptr<const routing::PathCatalogue> paths_;
};

TEST(RouteOnce, ARunMadeOnceLetsGoOfTheSharedPathsBeforeItsFirstCall) {
  ExperimentPlan plan = allPairsPlan(session::Routing::kKShortest, 3);
  plan.routing = routedOnce(plan, 1);
  const std::weak_ptr<const routing::PathCatalogue> paths = plan.routing.paths;
  std::ostringstream keptTrace, onceTrace;

  PathsWatch keeps(paths);
  const ExperimentResult a = runExperiment(plan, &keptTrace, nullptr, &keeps);
  EXPECT_GT(keeps.calls, 0);
  EXPECT_EQ(keeps.callsWithPaths, keeps.calls) << "runExperiment leaves its plan as it was";

  PathsWatch once(paths);
  const ExperimentResult b = runExperimentOnce(plan, &onceTrace, nullptr, &once);
  EXPECT_EQ(once.calls, keeps.calls);
  EXPECT_EQ(once.callsWithPaths, 0) << "the paths were freed before the first call";
  EXPECT_FALSE(plan.routing.paths);
  EXPECT_EQ(plan.routing.kind, session::Routing::kKShortest);
  EXPECT_TRUE(keptTrace.str() == onceTrace.str()) << "the traces differ";
  EXPECT_EQ(a.blocked, b.blocked);
  ASSERT_TRUE(b.routingSeconds);
  EXPECT_EQ(*a.routingSeconds, *b.routingSeconds);
}

}  // namespace
}  // namespace experiment
