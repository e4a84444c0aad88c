// A run answered decision by decision: it counts as the same run with a path policy giving
// the same answers, tells each call's fate as the accounts count it, takes wrong answers as a
// policy's, and can be left at any point, also when a policy throws.
#include "experiment/stepped_run.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "experiment/cause_counts.h"
#include "experiment/experiment.h"
#include "support/matrix_network.h"

namespace experiment {
namespace {

using Agent = std::function<std::int32_t(const wrnsim::Call&, const wrnsim::PairView&)>;

class AgentPaths : public wrnsim::PathPolicy {
 public:
  explicit AgentPaths(Agent agent) : agent_(std::move(agent)) {}
  std::int32_t choosePath(const wrnsim::PathRequest& request) override {
    return agent_(request.call, request.view);
  }

 private:
  Agent agent_;
};

// The same agent as the run's path policy. The stepped run calls its policy "agent" too.
ExperimentResult runWithPolicy(ExperimentPlan plan, const Agent& agent) {
  plan.policies.pathName = "agent";
  plan.policies.path = [&agent](const wrnsim::Settings&) {
    return std::make_unique<AgentPaths>(agent);
  };
  return runExperiment(plan);
}

std::vector<CallFate> runStepped(SteppedRun& run, const Agent& agent) {
  std::vector<CallFate> fates;
  while (!run.ended()) {
    for (const wrnsim::CandidatePath& path : run.view().paths()) {
      EXPECT_EQ(path.nodes.front(), run.call().origin);
      EXPECT_EQ(path.nodes.back(), run.call().destination);
    }
    fates.push_back(run.answer(agent(run.call(), run.view())));
  }
  return fates;
}

// NSFNET, every pair, loaded enough to block by several causes, on views a few ticks stale.
ExperimentPlan busyNsfnet(std::uint64_t seed, std::int64_t callsPerPair = 40) {
  ExperimentPlan plan;
  plan.topology = testing_support::nsfnetConText(1);
  plan.config.lambdaCount = 4;
  plan.config.fiberCount = 1;
  plan.config.updateInterval = 3;
  TrafficModel model;
  model.meanHolding = 10.0;
  model.meanGap = meanGapForLoad(1.5, model.meanHolding);
  model.count = callsPerPair;
  model.seed = seed;
  plan.allPairs = model;
  return plan;
}

void expectSameCounts(const CallCounts& stepped, const CallCounts& inside, const std::string& at) {
  EXPECT_EQ(stepped.offered, inside.offered) << at;
  EXPECT_EQ(stepped.carried, inside.carried) << at;
  EXPECT_EQ(stepped.blocked, inside.blocked) << at;
  EXPECT_EQ(causeColumns(stepped.causes), causeColumns(inside.causes)) << at;
  EXPECT_EQ(stepped.causes.updateErrorHops, inside.causes.updateErrorHops) << at;
}

void expectSameRun(const ExperimentResult& stepped, const ExperimentResult& inside) {
  expectSameCounts({stepped.offered, stepped.carried, stepped.blocked, stepped.causes},
                   {inside.offered, inside.carried, inside.blocked, inside.causes}, "totals");
  EXPECT_EQ(stepped.summary.ticks, inside.summary.ticks);
  EXPECT_EQ(stepped.summary.policyErrors, inside.summary.policyErrors);
  EXPECT_EQ(stepped.summary.firstPolicyError, inside.summary.firstPolicyError);
  EXPECT_EQ(stepped.countedTicks, inside.countedTicks);
  ASSERT_EQ(stepped.pairs.size(), inside.pairs.size());
  for (std::size_t i = 0; i < stepped.pairs.size(); ++i) {
    expectSameCounts(stepped.pairs[i].calls, inside.pairs[i].calls, "pair " + std::to_string(i));
  }
  ASSERT_EQ(stepped.links.size(), inside.links.size());
  for (std::size_t i = 0; i < stepped.links.size(); ++i) {
    EXPECT_EQ(stepped.links[i].blockingEvents, inside.links[i].blockingEvents) << i;
    EXPECT_EQ(stepped.links[i].updateErrorHops, inside.links[i].updateErrorHops) << i;
    EXPECT_EQ(stepped.links[i].policyErrors, inside.links[i].policyErrors) << i;
    EXPECT_DOUBLE_EQ(stepped.links[i].meanOccupancy, inside.links[i].meanOccupancy) << i;
  }
}

// The fates of the counted calls, added up as the accounts add them.
CallCounts tally(const std::vector<CallFate>& fates) {
  CallCounts counts;
  for (const CallFate& fate : fates) {
    if (!fate.counted) continue;
    ++counts.offered;
    EXPECT_EQ(fate.carried, !fate.cause);
    if (fate.carried) {
      ++counts.carried;
      continue;
    }
    ++counts.blocked;
    ++causeCount(counts.causes, *fate.cause);
    if (*fate.cause == kUpdateErrorColumn)
      counts.causes.updateErrorHops += fate.outcome.refusedHops;
  }
  return counts;
}

// The lowest wavelength free on every hop, on even calls of a source only.
class FirstFreeOnEvenCalls : public wrnsim::WavelengthPolicy {
 public:
  explicit FirstFreeOnEvenCalls(std::int32_t wavelengths) : wavelengths_(wavelengths) {}
  bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer& answer) override {
    if (request.call.number % 2 == 1) return false;
    const std::size_t hops = request.view.paths()[request.path].hopCount();
    for (std::int32_t w = 0; w < wavelengths_; ++w) {
      bool free = true;
      for (std::size_t k = 0; k < hops; ++k)
        free = free && request.view.link(request.path, k).freeFibres(w) > 0;
      if (!free) continue;
      for (std::size_t k = 0; k < hops; ++k) answer.add(w);
      return true;
    }
    return false;
  }

 private:
  std::int32_t wavelengths_;
};

TEST(SteppedRun, AnAgentCountsAsThePathPolicyAnsweringTheSame) {
  const Agent first = [](const wrnsim::Call&, const wrnsim::PairView& view) {
    return view.paths().empty() ? wrnsim::kNoPath : 0;
  };
  const ExperimentPlan plan = busyNsfnet(11);
  SteppedRun run(plan);
  const std::vector<CallFate> fates = runStepped(run, first);
  ASSERT_TRUE(run.finished());
  const ExperimentResult inside = runWithPolicy(plan, first);
  expectSameRun(run.result(), inside);
  EXPECT_EQ(run.decisions(), inside.offered);
  expectSameCounts(tally(fates), {inside.offered, inside.carried, inside.blocked, inside.causes},
                   "fates");
  // Busy enough that the comparison means something.
  EXPECT_GT(inside.causes.assignment[0], 0);
  EXPECT_GT(inside.causes.updateErrorCalls, 0);

  // Random positions, the generators seeded alike; a warm-up, whose calls are decisions too;
  // a wavelength policy of the plan's, which counts what it cannot assign as no assignment.
  ExperimentPlan warm = busyNsfnet(12);
  warm.warmup = 60;
  warm.policies.wavelengthName = "none on odd calls";
  warm.policies.wavelength = [](const wrnsim::Settings& settings) {
    return std::make_unique<FirstFreeOnEvenCalls>(settings.wavelengths);
  };
  std::mt19937 stepped(5);
  std::mt19937 inPolicy(5);
  const auto randomOf = [](std::mt19937& random) {
    return [&random](const wrnsim::Call&, const wrnsim::PairView& view) {
      const auto count = static_cast<std::int32_t>(view.paths().size());
      return count == 0 ? wrnsim::kNoPath
                        : std::uniform_int_distribution<std::int32_t>(0, count - 1)(random);
    };
  };
  SteppedRun randomRun(warm);
  std::int64_t warmupDecisions = 0;
  std::vector<CallFate> randomFates;
  const Agent agent = randomOf(stepped);
  while (!randomRun.ended()) {
    EXPECT_EQ(randomRun.counted(), randomRun.call().tick >= warm.warmup);
    if (!randomRun.counted()) ++warmupDecisions;
    randomFates.push_back(randomRun.answer(agent(randomRun.call(), randomRun.view())));
  }
  const ExperimentResult randomInside = runWithPolicy(warm, randomOf(inPolicy));
  expectSameRun(randomRun.result(), randomInside);
  EXPECT_GT(warmupDecisions, 0);
  EXPECT_EQ(randomRun.decisions(), warmupDecisions + randomInside.offered);
  expectSameCounts(
      tally(randomFates),
      {randomInside.offered, randomInside.carried, randomInside.blocked, randomInside.causes},
      "random fates");
  EXPECT_GT(randomInside.causes.noAssignment, 0);
}

TEST(SteppedRun, WrongAnswersAreCountedAsAPolicysWrongAnswers) {
  // Out of range both ways, the lowest value, no path, then the first candidate.
  const Agent wrongThenRight = [](const wrnsim::Call& call, const wrnsim::PairView& view) {
    switch (call.number % 5) {
      case 0:
        return static_cast<std::int32_t>(view.paths().size());
      case 1:
        return -2;
      case 2:
        return INT_MIN;
      case 3:
        return wrnsim::kNoPath;
      default:
        return 0;
    }
  };
  const ExperimentPlan plan = busyNsfnet(13, 10);
  SteppedRun run(plan);
  std::int64_t wrong = 0;
  std::int64_t none = 0;
  while (!run.ended()) {
    const std::int32_t position = wrongThenRight(run.call(), run.view());
    const bool inRange =
        position >= 0 && static_cast<std::size_t>(position) < run.view().paths().size();
    const CallFate fate = run.answer(position);
    EXPECT_EQ(fate.cause == kPolicyErrorColumn, position != wrnsim::kNoPath && !inRange);
    EXPECT_EQ(fate.outcome.policyError, position != wrnsim::kNoPath && !inRange);
    EXPECT_EQ(fate.cause == kWithoutPathColumn, position == wrnsim::kNoPath);
    wrong += position != wrnsim::kNoPath && !inRange;
    none += position == wrnsim::kNoPath;
  }
  const ExperimentResult inside = runWithPolicy(plan, wrongThenRight);
  expectSameRun(run.result(), inside);
  EXPECT_EQ(inside.causes.policyError, wrong);
  EXPECT_EQ(inside.causes.withoutPath, none);
  EXPECT_GT(none, 0);
  EXPECT_NE(run.result().summary.firstPolicyError.find("path policy agent"), std::string::npos);
}

// Nodes 0 and 1 linked, node 2 reached by nothing.
const std::string kCutOff = "aislado\n*tabla: ;\n*- 0 -;\n*0 - -;\n*- - -;\n";

TEST(SteppedRun, CallsWithoutCandidatesArePassedOverOrAsked) {
  ExperimentPlan plan;
  plan.topology = kCutOff;
  plan.config.lambdaCount = 4;
  plan.config.fiberCount = 1;
  plan.sources.push_back(SourcePlan{0, 2, "0\t3\n1\t3\n"});
  plan.sources.push_back(SourcePlan{0, 1, "0\t3\n1\t3\n1\t3\n"});

  SteppedRun passed(plan);
  while (!passed.ended()) {
    EXPECT_EQ(passed.call().destination, 1);
    EXPECT_TRUE(passed.answer(0).carried);
  }
  EXPECT_EQ(passed.decisions(), 3);
  EXPECT_EQ(passed.callsPassedOver(), 2);
  EXPECT_EQ(passed.result().causes.withoutPath, 2);
  EXPECT_EQ(passed.result().carried, 3);

  SteppedRun asked(plan, SteppedRunOptions{true});
  std::vector<std::size_t> causes;
  while (!asked.ended()) {
    if (asked.view().paths().empty()) {
      // Any answer but kNoPath is a policy error: the pair has nothing to choose.
      const CallFate fate = asked.answer(asked.call().number == 0 ? 0 : wrnsim::kNoPath);
      causes.push_back(fate.cause.value_or(kCauseColumns));
    } else {
      asked.answer(0);
    }
  }
  EXPECT_EQ(asked.decisions(), 5);
  EXPECT_EQ(asked.callsPassedOver(), 0);
  EXPECT_EQ(causes, (std::vector<std::size_t>{kPolicyErrorColumn, kWithoutPathColumn}));
  EXPECT_EQ(asked.result().causes.policyError, 1);
}

TEST(SteppedRun, ARunLeftAnywhereLeavesNothingBehindAndCanStartAgain) {
  const ExperimentPlan plan = busyNsfnet(14, 20);
  { SteppedRun atFirst(plan); }
  {
    SteppedRun midway(plan);
    for (int i = 0; i < 500 && !midway.ended(); ++i) midway.answer(i % 3);
    ASSERT_FALSE(midway.ended());
  }
  SteppedRun run(plan);
  while (!run.ended()) run.answer(0);
  const std::int64_t offered = run.result().offered;

  // Another seed on the same object, left midway, then the first again from its start.
  ExperimentPlan other = busyNsfnet(15, 20);
  run.start(other);
  for (int i = 0; i < 100; ++i) run.answer(1);
  EXPECT_EQ(run.decisions(), 100);
  EXPECT_FALSE(run.finished());
  run.abandon();
  EXPECT_TRUE(run.ended());
  EXPECT_FALSE(run.finished());
  EXPECT_THROW(run.answer(0), std::logic_error);
  EXPECT_THROW(run.view(), std::logic_error);
  EXPECT_THROW(run.result(), std::logic_error);
  run.abandon();
  run.start(plan);
  while (!run.ended()) run.answer(0);
  EXPECT_EQ(run.result().offered, offered);
}

TEST(SteppedRun, AThrowingWavelengthPolicyReachesWhoeverAnswered) {
  ExperimentPlan plan = busyNsfnet(16, 20);
  plan.policies.wavelengthName = "thrower";
  plan.policies.wavelength = [](const wrnsim::Settings&) {
    struct Thrower : wrnsim::WavelengthPolicy {
      bool assign(const wrnsim::WavelengthRequest& request, wrnsim::HopAnswer&) override {
        if (request.call.source == 30) throw std::runtime_error("out of ideas");
        return false;
      }
    };
    return std::make_unique<Thrower>();
  };
  SteppedRun run(plan);
  std::int64_t answered = 0;
  try {
    while (!run.ended()) {
      run.answer(0);
      ++answered;
    }
    FAIL() << "the run went to its end";
  } catch (const run::PolicyFailure& failure) {
    EXPECT_NE(
        std::string(failure.what()).find("wavelength policy thrower threw at call 0 of source 30"),
        std::string::npos)
        << failure.what();
  }
  EXPECT_GT(answered, 0);
  EXPECT_TRUE(run.ended());
  EXPECT_FALSE(run.finished());
  EXPECT_THROW(run.answer(0), std::logic_error);

  plan.policies.wavelength =
      [](const wrnsim::Settings&) -> std::unique_ptr<wrnsim::WavelengthPolicy> {
    throw std::invalid_argument("not today");
  };
  EXPECT_THROW(run.start(plan), run::PolicyFailure);
  EXPECT_TRUE(run.ended());
  EXPECT_FALSE(run.finished());
}

TEST(SteppedRun, APlanWithoutTrafficEndsAtOnce) {
  ExperimentPlan plan;
  plan.topology = kCutOff;
  plan.config.lambdaCount = 2;
  plan.sources.push_back(SourcePlan{0, 1, ""});
  SteppedRun run(plan);
  EXPECT_TRUE(run.ended());
  ASSERT_TRUE(run.finished());
  EXPECT_EQ(run.result().offered, 0);
  EXPECT_EQ(run.decisions(), 0);

  // Calls that all start before the warm-up ends are decisions that count nowhere.
  plan.sources[0].calls = "0\t3\n1\t3\n";
  plan.warmup = 100;
  run.start(plan);
  while (!run.ended()) EXPECT_FALSE(run.answer(0).counted);
  EXPECT_EQ(run.decisions(), 2);
  EXPECT_EQ(run.result().offered, 0);

  plan.sources.clear();
  EXPECT_THROW(run.start(plan), ExperimentError);
  EXPECT_TRUE(run.ended());
  EXPECT_FALSE(run.finished());
}

}  // namespace
}  // namespace experiment
