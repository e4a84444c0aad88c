// The traffic generator: the statistics of its gaps and holding times, its repeatability,
// and the offered load counted as the run loop holds calls.
#include "experiment/traffic_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace experiment {
namespace {

struct Means {
  double gap = 0;
  double duration = 0;
};

Means meansOf(const std::vector<GeneratedCall>& calls) {
  Means means;
  for (const GeneratedCall& call : calls) {
    means.gap += call.gap;
    means.duration += call.duration;
  }
  means.gap /= static_cast<double>(calls.size());
  means.duration /= static_cast<double>(calls.size());
  return means;
}

TrafficModel model(HoldingKind holding, std::uint64_t seed = 11) {
  TrafficModel traffic;
  traffic.meanGap = 8.0;
  traffic.holding = holding;
  traffic.meanHolding = 30.0;
  traffic.count = 200'000;
  traffic.seed = seed;
  return traffic;
}

TEST(TrafficModel, MeansOfGapsAndHoldingTimesAreThoseAsked) {
  // Standard errors: 8/sqrt(2e5) = 0.018 for the gap, 30/sqrt(2e5) = 0.067 for the
  // exponential holding time; rounding to whole ticks shifts an exponential mean m by
  // about -1/(24 m).
  for (HoldingKind kind : {HoldingKind::kExponential, HoldingKind::kFixed, HoldingKind::kUniform}) {
    SCOPED_TRACE(std::string(holdingName(kind)));
    const Means means = meansOf(generateCalls(model(kind)));
    EXPECT_NEAR(means.gap, 8.0, 0.08);
    EXPECT_NEAR(means.duration, 30.0, 0.3);
  }
}

TEST(TrafficModel, HoldingTimesRoundToTicksAsLlroundDoes) {
  // Halves go away from zero; the double just below a half does not.
  const double below = std::nextafter(0.5, 0.0);
  for (const double mean : {0.0, 0.4, 0.5, below, 1.0 + below, 2.5, 3.5000000000000004, 7.49,
                            1e9 + 0.5, 2147483645.5, 2147483646.4, -3.5}) {
    TrafficModel fixed = model(HoldingKind::kFixed);
    fixed.meanHolding = mean;
    fixed.count = 3;
    const auto expected = static_cast<std::int32_t>(std::llround(std::max(mean, 0.0)));
    for (const GeneratedCall& call : generateCalls(fixed))
      EXPECT_EQ(call.duration, expected) << mean;
  }
  // Past the largest tick, the largest.
  TrafficModel huge = model(HoldingKind::kFixed);
  huge.meanHolding = 1e12;
  huge.count = 1;
  EXPECT_EQ(generateCalls(huge).front().duration, 2147483647);
}

TEST(TrafficModel, HoldingTimesHaveTheirDistributionsShape) {
  const auto fixed = generateCalls(model(HoldingKind::kFixed));
  EXPECT_TRUE(std::all_of(fixed.begin(), fixed.end(),
                          [](const GeneratedCall& call) { return call.duration == 30; }));
  const auto uniform = generateCalls(model(HoldingKind::kUniform));
  const auto [low, high] = std::minmax_element(
      uniform.begin(), uniform.end(),
      [](const GeneratedCall& a, const GeneratedCall& b) { return a.duration < b.duration; });
  EXPECT_EQ(low->duration, 0);
  EXPECT_EQ(high->duration, 60);
  // Exponential: the share above the mean is e^-1 (durations of 31 and more stand for draws
  // of 30.5 and more: e^(-30.5/30) = 0.3618).
  const auto exponential = generateCalls(model(HoldingKind::kExponential));
  const double above = static_cast<double>(std::count_if(
                           exponential.begin(), exponential.end(),
                           [](const GeneratedCall& call) { return call.duration > 30; })) /
                       static_cast<double>(exponential.size());
  EXPECT_NEAR(above, 0.3618, 0.004);
}

TEST(TrafficModel, TheSameSeedGivesTheSameFileAndAnotherSeedAnotherOne) {
  TrafficModel traffic = model(HoldingKind::kExponential, 5);
  traffic.count = 500;
  const std::string first = callFileText(generateCalls(traffic));
  EXPECT_EQ(callFileText(generateCalls(traffic)), first);
  traffic.seed = 6;
  EXPECT_NE(callFileText(generateCalls(traffic)), first);
  EXPECT_NE(streamSeed(5, 0), streamSeed(5, 1));
  EXPECT_NE(streamSeed(5, 0), streamSeed(6, 0));
}

TEST(TrafficModel, FileLinesAreGapTabDuration) {
  EXPECT_EQ(callFileText({{3, 12}, {0, 0}}), "3\t12\n0\t0\n");
}

TEST(TrafficModel, OfferedLoadCountsDurationPlusHalfATickPerCall) {
  // Four ticks of arrivals; the calls hold for 1.5 and 3.5 ticks.
  EXPECT_DOUBLE_EQ(offeredLoad({{2, 1}, {2, 3}}), 1.25);
  EXPECT_DOUBLE_EQ(offeredLoad({{0, 5}}), 0.0);
  EXPECT_DOUBLE_EQ(meanGapForLoad(2.0, 39.5), 20.0);
}

}  // namespace
}  // namespace experiment
