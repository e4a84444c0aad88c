#include "experiment/traffic_matrix.h"

#include <gtest/gtest.h>

#include <string>

#include "experiment/experiment.h"

namespace experiment {
namespace {

TEST(TrafficMatrix, ReadsOnePairPerLineWithAnOptionalHeaderAndComments) {
  const auto pairs =
      parseTrafficMatrix("origin,destination,load\n# busy hours\n0,1,2.5\n\n 1 , 0 , 0\r\n2,0,1\n");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].origin, 0);
  EXPECT_EQ(pairs[0].destination, 1);
  EXPECT_DOUBLE_EQ(pairs[0].load, 2.5);
  EXPECT_DOUBLE_EQ(pairs[1].load, 0.0);
  EXPECT_EQ(pairs[2].origin, 2);
}

TEST(TrafficMatrix, RefusesWhatIsNotAPairAndALoadNamingTheLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"0,1\n", "line 1"},           {"0,1,x\n", "line 1"},    {"0,1,-1\n", "line 1"},
      {"0,1,1\n0,1,2\n", "second"},  {"0,0,1\n", "to itself"}, {"a,1,1\n", "line 1"},
      {"0,1,1\n1,2,nan\n", "line 2"}};
  for (const auto& [text, mention] : cases) {
    try {
      parseTrafficMatrix(text);
      ADD_FAILURE() << text;
    } catch (const TrafficMatrixError& error) {
      EXPECT_NE(std::string(error.what()).find(mention), std::string::npos) << error.what();
    }
  }
}

TEST(TrafficMatrix, ScalingKeepsThePatternAndSetsTheMeanOverLoadedPairs) {
  const auto scaled = scaledToMean(parseTrafficMatrix("0,1,3\n1,2,1\n2,0,0\n"), 0.5);
  ASSERT_EQ(scaled.size(), 3u);
  EXPECT_DOUBLE_EQ(scaled[0].load, 0.75);
  EXPECT_DOUBLE_EQ(scaled[1].load, 0.25);
  EXPECT_DOUBLE_EQ(scaled[2].load, 0.0);
}

TEST(TrafficMatrix, TheBusiestPairGetsTheCallsAndTheOthersInProportion) {
  ExperimentPlan plan;
  plan.topology = "tres\n*tabla: ;\n*- 0 0;\n*0 - 0;\n*0 0 -;\n";
  plan.matrix = parseTrafficMatrix("0,1,2\n1,2,1\n2,0,0\n");
  plan.matrixTraffic.count = 400;
  plan.matrixTraffic.meanHolding = 10;
  const ExperimentResult result = runExperiment(plan);
  // The pair without load gets no source.
  EXPECT_EQ(result.sourceCount, 2);
  ASSERT_EQ(result.pairs.size(), 2u);
  EXPECT_EQ(result.pairs[0].origin, 0);
  EXPECT_EQ(result.pairs[1].origin, 1);
  // Both cover about the same time, so the run (which ends with the first to finish)
  // offers most of each pair's calls, twice as many on the busier pair.
  const double ratio = static_cast<double>(result.pairs[0].calls.offered) /
                       static_cast<double>(result.pairs[1].calls.offered);
  EXPECT_NEAR(ratio, 2.0, 0.3);
  EXPECT_GT(result.pairs[0].calls.offered, 300);
}

}  // namespace
}  // namespace experiment
