// Confidence intervals and the Erlang B formula against tabulated values.
#include "experiment/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace experiment {
namespace {

TEST(Statistics, StudentQuantilesMatchTheTables) {
  EXPECT_NEAR(studentT975(1), 12.706, 1e-3);
  EXPECT_NEAR(studentT975(4), 2.776, 1e-3);
  EXPECT_NEAR(studentT975(30), 2.042, 1e-3);
  EXPECT_NEAR(studentT975(40), 2.021, 1e-3);
  EXPECT_NEAR(studentT975(120), 1.980, 1e-3);
}

TEST(Statistics, IntervalIsTTimesTheStandardError) {
  const std::vector<double> values = {1.0, 2.0, 3.0};
  const SampleMean mean = meanWithInterval(values);
  EXPECT_DOUBLE_EQ(mean.mean, 2.0);
  ASSERT_TRUE(mean.halfWidth.has_value());
  EXPECT_NEAR(*mean.halfWidth, 4.3027 / std::sqrt(3.0), 1e-6);
  const std::vector<double> one = {0.25};
  EXPECT_FALSE(meanWithInterval(one).halfWidth.has_value());
  const std::vector<double> same = {0.5, 0.5};
  EXPECT_DOUBLE_EQ(*meanWithInterval(same).halfWidth, 0.0);
}

TEST(Statistics, ErlangBMatchesKnownValues) {
  EXPECT_DOUBLE_EQ(erlangB(1.0, 1), 0.5);
  EXPECT_NEAR(erlangB(2.0, 4), 2.0 / 21.0, 1e-12);
  // Tabulated: 5 Erlang on 8 servers, 0.07;  on 10 servers, 0.0184.
  EXPECT_NEAR(erlangB(5.0, 8), 0.0700, 1e-4);
  EXPECT_NEAR(erlangB(5.0, 10), 0.0184, 1e-4);
}

}  // namespace
}  // namespace experiment
