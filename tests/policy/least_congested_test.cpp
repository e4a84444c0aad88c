// The least_congested example: the candidate whose busiest hop has the most free
// wavelengths, the earliest among equals.
#include <gtest/gtest.h>

#include <cstdint>

#include "hand_built_view.h"
#include "plugin_entry.h"

namespace policy_tests {
namespace {

constexpr wrnsim::Call kCall{0, 9, 0, 0, 0};

std::int32_t chosenOn(ViewBuilder& builder) {
  wrnsim::Settings settings;
  settings.wavelengths = 4;
  settings.fibres = 2;
  settings.paths = 4;
  auto policy = examplePathPolicy("least_congested", settings);
  const wrnsim::PairView view = builder.view();
  wrnsim::Random random;
  const std::int32_t chosen = policy->choosePath({kCall, view, random});
  // It draws nothing, so that a random wavelength policy draws what it would alone.
  EXPECT_EQ(random.draw(), wrnsim::Random().draw());
  return chosen;
}

TEST(LeastCongested, ScoresAPathByItsBusiestHopNotItsTotal) {
  ViewBuilder builder;
  // Candidate 0: 4 and 1 free wavelengths; candidate 1: 2 and 2.
  builder.link(0, 1, {1, 1, 1, 1});
  builder.link(1, 9, {0, 0, 2, 0});
  builder.link(0, 2, {1, 0, 1, 0});
  builder.link(2, 9, {0, 2, 0, 1});
  builder.path({0, 1, 9});
  builder.path({0, 2, 9});
  EXPECT_EQ(chosenOn(builder), 1);
}

TEST(LeastCongested, CountsWavelengthsNotFibresAndOnlyCountsAbove0) {
  ViewBuilder builder;
  // Candidate 0: one wavelength with many fibres; candidate 1: two wavelengths, beside
  // stale counts below 0 that must not cancel them.
  builder.link(0, 9, {0, 0, 2, 0});
  builder.link(0, 3, {1, -1, -2, 1});
  builder.link(3, 9, {1, 1, -1, 0});
  builder.path({0, 9});
  builder.path({0, 3, 9});
  EXPECT_EQ(chosenOn(builder), 1);
}

TEST(LeastCongested, EqualScoresGoToTheEarliestCandidate) {
  ViewBuilder builder;
  builder.link(0, 1, {0, 1, 0, 0});
  builder.link(0, 2, {1, 1, 0, 0});
  builder.link(0, 3, {0, 1, 1, 0});
  builder.link(1, 9, {1, 1, 1, 1});
  builder.link(2, 9, {1, 0, 0, 0});
  builder.link(3, 9, {0, 1, 1, 0});
  builder.path({0, 1, 9});
  builder.path({0, 2, 9});
  builder.path({0, 3, 9});
  EXPECT_EQ(chosenOn(builder), 2);
  builder.path({0, 3, 9});
  EXPECT_EQ(chosenOn(builder), 2);
}

TEST(LeastCongested, AHopWithoutALinkScores0) {
  ViewBuilder builder;
  // Candidate 0 is all free but for its hop 5-9, which the network does not hold.
  builder.link(0, 5, {1, 1, 1, 1});
  builder.link(0, 6, {0, 0, 1, 0});
  builder.link(6, 9, {0, 0, 0, 1});
  builder.path({0, 5, 9});
  builder.path({0, 6, 9});
  EXPECT_EQ(chosenOn(builder), 1);
}

TEST(LeastCongested, AnswersNoPathOnlyWithoutCandidates) {
  ViewBuilder none;
  EXPECT_EQ(chosenOn(none), wrnsim::kNoPath);
  // All busy: still a path, which the wavelength assignment then blocks with its cause.
  ViewBuilder busy;
  busy.link(0, 9, {0, 0, 0, 0});
  busy.path({0, 7, 9});
  busy.path({0, 9});
  EXPECT_EQ(chosenOn(busy), 0);
}

}  // namespace
}  // namespace policy_tests
