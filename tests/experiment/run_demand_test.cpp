// What a run would ask of the machine, from its plan: the rule's terms on networks whose
// routes are known, the routing's cap on paths, and how late listed call files can start.
#include "experiment/run_demand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "experiment/call_file_reach.h"
#include "experiment/run_progress.h"

namespace experiment {
namespace {

// A line 0-1-2-3: shortest routes of 1, 2 and 3 hops, 12 ordered pairs, mean 20/12 hops.
const std::string kLine = "linea\n*tabla: ;\n*- 0 - -;\n*0 - 0 -;\n*- 0 - 0;\n*- - 0 -;\n";

PlannedRoutes networkOf(const std::string& topology) {
  ExperimentPlan bare;
  bare.topology = topology;
  return planRoutes(bare);
}

ExperimentPlan allPairs(double meanGap, double meanHolding, std::int64_t calls) {
  ExperimentPlan plan;
  plan.topology = kLine;
  plan.config.lambdaCount = 8;
  plan.config.pathCount = 2;
  TrafficModel model;
  model.meanGap = meanGap;
  model.meanHolding = meanHolding;
  model.count = calls;
  plan.allPairs = model;
  return plan;
}

TEST(RunDemand, FollowsItsStatedRule) {
  ExperimentPlan plan = allPairs(10.5, 20.0, 1000);
  plan.config.updateInterval = 3;
  const RunDemand demand = estimateDemand(plan, networkOf(kLine), false);
  EXPECT_EQ(demand.sources, 12u);
  EXPECT_EQ(demand.plannedCalls, 12'000);
  EXPECT_EQ(demand.pathsPerSource, 2);
  EXPECT_DOUBLE_EQ(demand.hopsPerPath, 20.0 / 12.0 + 1.0);
  // Little's law: 12 pairs of (20 + 1/2) / 10.5 Erlang.
  EXPECT_DOUBLE_EQ(demand.callsInProgress, 12.0 * 20.5 / 10.5);
  const double h = demand.hopsPerPath;
  // The line has 6 directed links: a view holds at most those.
  EXPECT_DOUBLE_EQ(demand.pathBytes,
                   12.0 * (2200.0 + 2 * h * 170.0 + std::min(2 * h, 6.0) * 4 * 8));
  // Every line read ahead can be kept: 8 B a call planned, up to the plan's limit.
  EXPECT_DOUBLE_EQ(demand.callBytes, demand.callsInProgress * (320.0 + 16.0 * h) + 12'000 * 8.0);
  plan.keptLines = 100;
  EXPECT_DOUBLE_EQ(estimateDemand(plan, networkOf(kLine), false).callBytes,
                   demand.callsInProgress * (320.0 + 16.0 * h) + 100 * 8.0);
  plan.keptLines = run::kKeptLines;
  EXPECT_EQ(demand.recordBytes, 0.0);
  EXPECT_DOUBLE_EQ(estimateDemand(plan, networkOf(kLine), true).recordBytes, 12.0 * 1600.0);
  EXPECT_DOUBLE_EQ(demand.lastTick, (1000.0 + 6.0 * std::sqrt(1000.0)) * 10.5 + 20.0 * 20.0);
  // At interval 0 pairs keep no view links.
  plan.config.updateInterval = 0;
  EXPECT_DOUBLE_EQ(estimateDemand(plan, networkOf(kLine), false).pathBytes,
                   12.0 * (2200.0 + 2 * h * 46.0));
}

TEST(RunDemand, CountsListedAndMatrixSourcesAndCapsPathsAtTheRouting) {
  ExperimentPlan plan = allPairs(10.5, 20.0, 1000);
  plan.allPairs.reset();
  // Two calls: the last line has no newline and is never used.
  plan.sources.push_back(SourcePlan{0, 3, "0\t5\n1\t5\n2\t5"});
  plan.matrix = {{0, 1, 2.0}, {1, 0, 0.0}, {2, 3, 0.5}};
  plan.matrixTraffic.count = 100;
  plan.matrixTraffic.meanHolding = 20.0;
  plan.config.pathCount = 1'000'000;
  RunDemand demand = estimateDemand(plan, networkOf(kLine), false);
  EXPECT_EQ(demand.sources, 3u);
  // The busiest pair gets the calls, the other a quarter of them.
  EXPECT_EQ(demand.plannedCalls, 2 + 100 + 25);
  EXPECT_DOUBLE_EQ(demand.callsInProgress, 2.5);
  EXPECT_EQ(demand.pathsPerSource, 200'000);
  EXPECT_DOUBLE_EQ(demand.lastTick, (100.0 + 60.0) * meanGapForLoad(2.0, 20.0) + 20.0 * 20.0);
  plan.routing.kind = session::Routing::kKShortest;
  plan.config.pathCount = 5'000'000;
  EXPECT_EQ(estimateDemand(plan, networkOf(kLine), false).pathsPerSource, 1'000'000);
  EXPECT_EQ(sourcesPlanned(plan, 4), 3u);
}

TEST(CallFileReach, BoundsTheStartOfEveryCall) {
  auto reach = [](std::vector<std::string> files) {
    std::vector<SourcePlan> sources;
    for (std::string& file : files) sources.push_back(SourcePlan{0, 1, std::move(file)});
    return latestListedStart(sources);
  };
  // Read at ticks 0 to 2; gaps 5 + 7, a negative gap adding nothing.
  EXPECT_EQ(reach({"5\t1\n-9\t1\n7\t1\n"}), 2 + 12);
  // The last line, without a newline, is never read as a call.
  EXPECT_EQ(reach({"5\t1\n1000\t1"}), 0 + 5);
  // Gaps of every source add up: a base may come from another source's call.
  EXPECT_EQ(reach({"5\t1\n", "6\t1\n6\t1\n"}), 1 + 17);
  // A line of 150 characters is read in two pieces, the second's number its gap.
  EXPECT_EQ(reach({"4" + std::string(98, ' ') + "3\t1" + std::string(47, ' ') + "\n"}), 1 + 7);
  EXPECT_EQ(reach({}), 0);
}

// Counts what a run tells of its progress.
struct Reports : RunProgress {
  std::vector<std::pair<std::size_t, std::size_t>> routed;
  int starts = 0;
  std::vector<std::int64_t> calls;
  void pairsRouted(std::size_t done, std::size_t total) override {
    routed.emplace_back(done, total);
  }
  void runStarts() override {
    ++starts;
    EXPECT_TRUE(calls.empty());
  }
  void callsStarted(std::int64_t started) override { calls.push_back(started); }
};

TEST(RunProgressHook, ToldOfEveryPairRoutedThenOfEvery4096thCall) {
  ExperimentPlan plan = allPairs(2.0, 1.0, 1000);
  plan.sources.push_back(SourcePlan{3, 0, "0\t1\n"});
  Reports reports;
  const ExperimentResult result = runExperiment(plan, nullptr, &reports);
  ASSERT_EQ(reports.routed.size(), 13u);
  for (std::size_t i = 0; i < reports.routed.size(); ++i) {
    EXPECT_EQ(reports.routed[i], std::make_pair(i + 1, std::size_t{13}));
  }
  EXPECT_EQ(reports.starts, 1);
  ASSERT_EQ(reports.calls.size(),
            static_cast<std::size_t>(result.summary.callsStarted / kCallsPerReport));
  for (std::size_t i = 0; i < reports.calls.size(); ++i) {
    EXPECT_EQ(reports.calls[i], static_cast<std::int64_t>(i + 1) * kCallsPerReport);
  }
}

}  // namespace
}  // namespace experiment
