// The simulator against theory: one link, one fibre, W wavelengths and Poisson traffic on
// its one pair lose calls as Erlang B says (within a 99.9% interval over seeds), for the
// load counted with d + 1/2 ticks per call.
#include <gtest/gtest.h>

#include <vector>

#include "experiment/experiment.h"
#include "experiment/statistics.h"
#include "experiment/theory_check_support.h"
#include "experiment/traffic_model.h"

namespace experiment {
namespace {

const std::string kOneLink = "Un enlace\n*tabla: ;\n*- 0;\n*0 -;\n";

struct Case {
  std::int32_t wavelengths;
  HoldingKind holding;
  double meanHolding;
  double meanGap;
};

struct Measured {
  lab_testing::Interval blocking;
  double load = 0;
};

Measured measure(const Case& c, int seeds, std::int64_t calls) {
  std::vector<double> blocking;
  double load = 0;
  for (int seed = 1; seed <= seeds; ++seed) {
    TrafficModel traffic{c.meanGap, c.holding, c.meanHolding, calls,
                         static_cast<std::uint64_t>(seed)};
    const std::vector<GeneratedCall> generated = generateCalls(traffic);
    ExperimentPlan plan;
    plan.topology = kOneLink;
    plan.config.lambdaCount = c.wavelengths;
    plan.config.fiberCount = 1;
    plan.sources.push_back({0, 1, callFileText(generated)});
    const ExperimentResult result = runExperiment(plan);
    EXPECT_EQ(result.offered, calls) << "one source: the run ends after its last call";
    blocking.push_back(result.blockingProbability.value());
    load += offeredLoad(generated);
  }
  return {lab_testing::interval999(blocking), load / seeds};
}

TEST(ErlangB, OneLinkLosesCallsAsErlangBSays) {
  const std::vector<Case> cases = {
      {1, HoldingKind::kFixed, 4.0, 9.0},           // 0.5 Erlang
      {4, HoldingKind::kExponential, 39.0, 19.75},  // 2 Erlang
      {8, HoldingKind::kUniform, 50.0, 10.1},       // 5 Erlang
      {16, HoldingKind::kExponential, 99.5, 10.0},  // 10 Erlang
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("W = " + std::to_string(c.wavelengths));
    const Measured measured = measure(c, 10, 20'000 / lab_testing::kCallScale);
    const double theory = erlangB(measured.load, c.wavelengths);
    ASSERT_GE(theory, 1e-3) << "too few blocked calls for an interval";
    EXPECT_NEAR(measured.blocking.mean, theory, measured.blocking.halfWidth)
        << "offered " << measured.load << " Erlang";
    if (c.meanHolding < 10 && lab_testing::kCallScale == 1) {
      // Short calls tell the counts apart: d or d + 1 ticks per call would miss.
      for (double extra : {0.0, 1.0}) {
        const double other =
            erlangB(measured.load * (c.meanHolding + extra) / (c.meanHolding + 0.5), c.wavelengths);
        EXPECT_GT(std::abs(measured.blocking.mean - other), measured.blocking.halfWidth) << extra;
      }
    }
  }
}

}  // namespace
}  // namespace experiment
