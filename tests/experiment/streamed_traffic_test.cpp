// Traffic made as the run reads it, and held as lines until its calls are due, gives the
// run that the same traffic stored whole as call files gives: the same trace, byte for
// byte, and the same counts and offered load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "experiment/experiment.h"
#include "experiment/generated_call_lines.h"
#include "support/matrix_network.h"

namespace experiment {
namespace {

std::vector<calls::CallLine> readAll(calls::CallLines& lines, std::size_t limit = SIZE_MAX) {
  std::vector<calls::CallLine> read;
  for (calls::CallLine line; read.size() < limit && lines.next(line);) read.push_back(line);
  return read;
}

std::vector<calls::CallLine> fileLines(const TrafficModel& model) {
  base::MemoryFileSystem files;
  files.add("calls", callFileText(generateCalls(model)));
  calls::FileCallLines lines(files.open("calls"));
  return readAll(lines);
}

TEST(GeneratedCallLines, ReadAsTheCallFileAndAgainFromAnyPoint) {
  // Short traffic is made whole, long traffic drawn line by line.
  for (std::int64_t count : {0, 1, 40, 256, 257, 3000}) {
    TrafficModel model;
    model.meanGap = 3.0;
    model.count = count;
    model.seed = 7 + static_cast<std::uint64_t>(count);
    const std::vector<calls::CallLine> expected = fileLines(model);
    LoadTally tally;
    GeneratedCallLines lines(model, &tally);
    std::unique_ptr<calls::CallLines> follower = lines.copy();
    const std::size_t half = expected.size() / 2;
    std::vector<calls::CallLine> read = readAll(lines, half);
    std::unique_ptr<calls::CallLines> again = lines.copy();
    // A copy made earlier moves on to where the lines are.
    ASSERT_TRUE(follower->follow(lines));
    EXPECT_FALSE(tally.complete);
    const std::vector<calls::CallLine> rest = readAll(lines);
    read.insert(read.end(), rest.begin(), rest.end());
    EXPECT_EQ(read, expected) << count;
    EXPECT_TRUE(tally.complete);
    // The copy reads on from where it was taken, whatever the original read since, and
    // adds nothing to the tally.
    const double tallied = tally.holding;
    EXPECT_EQ(readAll(*again), rest) << count;
    EXPECT_EQ(readAll(*follower), rest) << count;
    EXPECT_EQ(tally.holding, tallied);
    EXPECT_EQ(tally.load(), offeredLoad(generateCalls(model))) << count;
  }
}

// The plan's generated sources written out as call files, in the same order; `load` is
// the mean load they offer.
ExperimentPlan storedWhole(const ExperimentPlan& plan, std::int32_t nodes, double* load = nullptr) {
  double loads = 0.0;
  double streams = 0.0;
  ExperimentPlan stored = plan;
  stored.allPairs.reset();
  stored.matrix.clear();
  std::uint64_t stream = 0;
  for (std::int32_t a = 0; plan.allPairs && a < nodes; ++a) {
    for (std::int32_t b = 0; b < nodes; ++b) {
      if (a == b) continue;
      TrafficModel model = *plan.allPairs;
      model.seed = streamSeed(model.seed, stream++);
      stored.sources.push_back(SourcePlan{a, b, callFileText(generateCalls(model))});
      loads += offeredLoad(generateCalls(model));
      streams += 1.0;
    }
  }
  double busiest = 0.0;
  for (const PairLoad& pair : plan.matrix) busiest = std::max(busiest, pair.load);
  for (const PairLoad& pair : plan.matrix) {
    if (!(pair.load > 0.0)) continue;
    TrafficModel model = plan.matrixTraffic;
    model.meanGap = meanGapForLoad(pair.load, model.meanHolding);
    model.count = std::max<std::int64_t>(
        1, std::llround(static_cast<double>(model.count) * pair.load / busiest));
    model.seed = streamSeed(model.seed, stream++);
    stored.sources.push_back(
        SourcePlan{pair.origin, pair.destination, callFileText(generateCalls(model))});
    loads += offeredLoad(generateCalls(model));
    streams += 1.0;
  }
  if (load != nullptr) *load = loads / streams;
  return stored;
}

struct Case {
  double load;
  HoldingKind holding;
  double meanHolding;
  std::int32_t policy;
  std::int32_t interval;
  std::int64_t warmup;
};

ExperimentPlan planOf(const Case& c) {
  ExperimentPlan plan;
  plan.topology = testing_support::nsfnetConText(0);
  plan.config.lambdaCount = 3;
  plan.config.fiberCount = 1;
  plan.config.pathPolicy = c.policy;
  plan.config.updateInterval = c.interval;
  plan.warmup = c.warmup;
  TrafficModel model;
  model.holding = c.holding;
  model.meanHolding = c.meanHolding;
  model.meanGap = meanGapForLoad(c.load, c.meanHolding);
  model.count = 300;
  model.seed = 5;
  plan.allPairs = model;
  return plan;
}

void expectSameCounts(const ExperimentResult& a, const ExperimentResult& b) {
  EXPECT_EQ(a.summary.callsRead, b.summary.callsRead);
  EXPECT_EQ(a.summary.ticks, b.summary.ticks);
  EXPECT_EQ(a.offered, b.offered);
  EXPECT_EQ(a.blocked, b.blocked);
  ASSERT_EQ(a.pairs.size(), b.pairs.size());
  for (std::size_t i = 0; i < a.pairs.size(); ++i) {
    EXPECT_EQ(a.pairs[i].calls.blocked, b.pairs[i].calls.blocked);
  }
}

// Lines read ahead are kept up to a room shared by the sources, and drawn again past it:
// none kept, about 20 lines a source, and (the plan's own) all of them.
void expectSameCountsKeepingAny(ExperimentPlan streamed, const ExperimentResult& stored) {
  for (std::size_t kept : {std::size_t{0}, std::size_t{4000}, streamed.keptLines}) {
    SCOPED_TRACE(kept);
    streamed.keptLines = kept;
    expectSameCounts(runExperiment(streamed), stored);
  }
}

// Without a trace, streamed sources read their lines ahead of their steps; the counts
// must not tell.
void expectSameRun(const ExperimentPlan& streamed, const ExperimentPlan& stored) {
  std::ostringstream streamedTrace;
  std::ostringstream storedTrace;
  const ExperimentResult a = runExperiment(streamed, &streamedTrace);
  const ExperimentResult b = runExperiment(stored, &storedTrace);
  EXPECT_EQ(streamedTrace.str(), storedTrace.str());
  expectSameCounts(a, b);
  expectSameCountsKeepingAny(streamed, b);
}

TEST(StreamedTraffic, AllPairsRunAsTheirCallFilesStoredWhole) {
  const Case cases[] = {
      {0.5, HoldingKind::kExponential, 10.0, 1, 0, 0},
      {1.5, HoldingKind::kUniform, 6.0, 4, 10, 0},
      {0.05, HoldingKind::kFixed, 3.0, 3, 3, 400},
      // Calls of no duration a tick or two apart: sources often find their lists empty and
      // take their gaps from other sources' calls.
      {0.4, HoldingKind::kFixed, 0.0, 2, 0, 0},
      {0.45, HoldingKind::kExponential, 0.2, 1, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.load);
    const ExperimentPlan streamed = planOf(c);
    double load = 0.0;
    expectSameRun(streamed, storedWhole(streamed, 14, &load));
    EXPECT_EQ(runExperiment(streamed).generatedLoad, load);
  }
}

TEST(StreamedTraffic, ReadingAheadLeavesOutStepsOfLightTraffic) {
  const ExperimentPlan plan = planOf({0.5, HoldingKind::kExponential, 10.0, 1, 0, 0});
  std::ostringstream trace;
  const std::int64_t stepped = runExperiment(plan, &trace).summary.sourceSteps;
  EXPECT_LT(runExperiment(plan).summary.sourceSteps, stepped * 2 / 3);
}

// Loads from light to heavy, holding laws, policies, intervals and warm-ups at random.
TEST(StreamedTraffic, RandomPlansCountAsStoredWhole) {
  std::mt19937_64 r(99);
  for (int k = 0; k < 24; ++k) {
    Case c{std::exp(std::uniform_real_distribution<double>(-4, 2.5)(r)),
           static_cast<HoldingKind>(r() % 3),
           static_cast<double>(r() % 12),
           static_cast<std::int32_t>(1 + r() % 4),
           static_cast<std::int32_t>(r() % 4),
           static_cast<std::int64_t>(r() % 3 == 0 ? r() % 200 : 0)};
    ExperimentPlan streamed = planOf(c);
    streamed.allPairs->count = static_cast<std::int64_t>(1 + r() % 400);
    streamed.allPairs->seed = r();
    SCOPED_TRACE(k);
    const ExperimentPlan stored = storedWhole(streamed, 14);
    std::ostringstream storedTrace;
    expectSameCountsKeepingAny(streamed, runExperiment(stored, &storedTrace));
  }
}

TEST(StreamedTraffic, MatrixAndListedSourcesRunAsStoredWhole) {
  ExperimentPlan streamed = planOf({0.5, HoldingKind::kExponential, 4.0, 1, 0, 0});
  streamed.allPairs.reset();
  streamed.matrix = {{0, 5, 2.0}, {3, 12, 0.2}, {5, 0, 0.7}, {13, 8, 1.2}, {2, 7, 0.0}};
  streamed.matrixTraffic = *planOf({1.0, HoldingKind::kExponential, 4.0, 1, 0, 0}).allPairs;
  streamed.matrixTraffic.count = 600;
  // A listed source whose calls leave its list empty now and then, long enough to outlast
  // the matrix's; and one so short that it ends the run before the matrix's sources have
  // read their lines: the offered load still counts all of them.
  std::string calls;
  for (int i = 0; i < 1500; ++i)
    calls += std::to_string(i % 3) + "\t" + std::to_string(i % 2) + "\n";
  for (const std::string& listed : {calls, std::string("0\t0\n3\t0\n0\t2\n9\t1\n")}) {
    ExperimentPlan plan = streamed;
    plan.sources.push_back(SourcePlan{1, 9, listed});
    double load = 0.0;
    expectSameRun(plan, storedWhole(plan, 14, &load));
    EXPECT_EQ(runExperiment(plan).generatedLoad, load);
  }
}

}  // namespace
}  // namespace experiment
