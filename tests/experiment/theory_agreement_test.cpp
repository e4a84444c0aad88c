// The simulator against loss-network theory where the network is one: full wavelength
// conversion, one path per pair, views refreshed at every call. Small networks must meet the
// exact product form route by route; NSFNET must lie just below the Erlang fixed point.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "experiment/loss_network.h"
#include "experiment/theory.h"
#include "experiment/theory_check_support.h"

namespace experiment {
namespace {

using lab_testing::interval999;
using lab_testing::kCallScale;

struct ExactCase {
  std::string name;
  std::string topology;
  std::int32_t lambdas;
  std::int32_t fibres;
  std::vector<PairLoad> loads;
};

base::Config fullConversion(std::int32_t lambdas, std::int32_t fibres) {
  base::Config config;
  config.lambdaCount = lambdas;
  config.fiberCount = fibres;
  config.pathCount = 1;
  config.updateInterval = 0;
  return config;
}

// Holding times of 200 ticks leave the discrete-time bias (about 1.4% at 20 ticks, falling
// as the holding time grows) well inside the intervals.
constexpr double kHolding = 200.0;

void expectExactAgreement(const ExactCase& c) {
  SCOPED_TRACE(c.name);
  const base::Config config = fullConversion(c.lambdas, c.fibres);
  const TheoryNetwork theory = theoryNetwork(c.topology, config, c.loads);
  const std::optional<ExactBlocking> exact = exactBlocking(theory.network);
  ASSERT_TRUE(exact.has_value());
  ExperimentPlan plan;
  plan.topology = c.topology;
  plan.config = config;
  plan.matrix = c.loads;
  plan.matrixTraffic = {0.0, HoldingKind::kExponential, kHolding, 60'000 / kCallScale, 1};
  plan.warmup = 20 * static_cast<std::int64_t>(kHolding);
  const lab_testing::PairBlocking measured = lab_testing::simulatePairs(plan, 10);
  ASSERT_EQ(measured.size(), theory.routes.size());
  for (std::size_t r = 0; r < theory.routes.size(); ++r) {
    const TheoryRoute& route = theory.routes[r];
    const lab_testing::Interval simulated =
        interval999(measured.at({route.origin, route.destination}));
    const double expected = exact->routeBlocking[r];
    EXPECT_NEAR(simulated.mean, expected, simulated.halfWidth)
        << "route " << route.origin << "-" << route.destination << " (" << route.path.size() - 1
        << " hops)";
    // An interval this narrow tells a wrong capacity or a missed link apart.
    if (kCallScale == 1) {
      EXPECT_LT(simulated.halfWidth, 0.1 * expected);
    }
  }
}

TEST(ExactProductForm, ThreeNodeLineWithATwoHopRoute) {
  expectExactAgreement({"line",
                        "Linea\n*tabla: ;\n*- 4 -;\n*4 - 4;\n*- 4 -;\n",
                        4,
                        1,
                        {{0, 1, 1.5}, {1, 2, 2.5}, {0, 2, 1.0}}});
}

TEST(ExactProductForm, TriangleOfTwoFibres) {
  // Both directions of a link share its 2 wavelengths x 2 fibres.
  expectExactAgreement(
      {"triangle",
       "Triangulo\n*tabla: ;\n*- 4 4;\n*4 - 4;\n*4 4 -;\n",
       2,
       2,
       {{0, 1, 1.0}, {1, 0, 0.6}, {0, 2, 2.0}, {2, 0, 0.5}, {1, 2, 1.2}, {2, 1, 0.3}}});
}

TEST(ExactProductForm, StarWhoseLeavesTalkThroughItsCentre) {
  expectExactAgreement({"star",
                        "Estrella\n*tabla: ;\n*- 3 3 3;\n*3 - - -;\n*3 - - -;\n*3 - - -;\n",
                        3,
                        1,
                        {{0, 1, 0.4},
                         {1, 0, 0.2},
                         {0, 2, 0.3},
                         {2, 0, 0.5},
                         {0, 3, 0.1},
                         {3, 0, 0.3},
                         {1, 2, 0.6},
                         {2, 1, 0.3},
                         {1, 3, 0.5},
                         {3, 1, 0.2},
                         {2, 3, 0.4},
                         {3, 2, 0.7}}});
}

// NSFNET as bundled, with 8 regenerators on every link so that calls convert freely.
std::string nsfnetWithConversion() {
  std::ifstream file(std::string(WRNSIM_EXAMPLES_DIR) + "/NSFNET.con", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::string topology = text.str();
  const std::size_t table = topology.find('*');
  EXPECT_NE(table, std::string::npos);
  for (std::size_t i = table; i < topology.size(); ++i) {
    if (topology[i] == '0') topology[i] = '8';
  }
  return topology;
}

TEST(ErlangFixedPoint, NsfnetBlocksALittleLessThanTheApproximation) {
  const std::string topology = nsfnetWithConversion();
  const base::Config config = fullConversion(8, 1);
  for (double load : {0.1, 0.2, 0.5}) {
    SCOPED_TRACE("load " + std::to_string(load));
    const std::vector<PairLoad> pairs = allPairLoads(topology, config, load);
    ASSERT_EQ(pairs.size(), 14u * 13u);
    const FixedPoint point = erlangFixedPoint(theoryNetwork(topology, config, pairs).network);
    ASSERT_TRUE(point.converged);
    ExperimentPlan plan;
    plan.topology = topology;
    plan.config = config;
    plan.matrix = pairs;
    plan.matrixTraffic = {0.0, HoldingKind::kExponential, 20.0, 4'000 / kCallScale, 1};
    plan.warmup = 400;
    const ExperimentResult result = runExperiment(plan);
    const double simulated = result.blockingProbability.value();
    // Only a full link blocks a call that may convert anywhere (type 0 on the first hop, 3
    // on a later one).
    EXPECT_EQ(result.blocked, result.causes.assignment[0] + result.causes.assignment[3]);
    // The approximation treats links as independent, which errs high on a small mesh.
    EXPECT_LT(simulated, point.totalBlocking);
    EXPECT_GT(simulated, 0.7 * point.totalBlocking);
  }
}

}  // namespace
}  // namespace experiment
