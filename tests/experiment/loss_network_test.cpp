// The loss-network theory against values worked out by hand.
#include "experiment/loss_network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "experiment/statistics.h"

namespace experiment {
namespace {

// Link A holds 1 circuit, link B 2; route 0 uses A (1 Erlang), route 1 B (2 Erlang), route 2
// both (0.5 Erlang).
LossNetwork twoLinks() {
  return {{1, 2}, {{{0}, 1.0}, {{1}, 2.0}, {{0, 1}, 0.5}}};
}

TEST(ErlangFixedPoint, EachSweepUsesThePreviousSweepsBlocking) {
  // Sweep 1 from no blocking: A sees 1 + 0.5 = 1.5 Erlang, B sees 2 + 0.5 = 2.5, so
  // B_A = E(1.5, 1) = 1.5 / 2.5 and B_B = E(2.5, 2) = 3.125 / 6.625 = 25/53.
  const FixedPoint first = erlangFixedPoint(twoLinks(), 1);
  EXPECT_EQ(first.iterations, 1);
  EXPECT_FALSE(first.converged);
  EXPECT_NEAR(first.linkBlocking[0], 0.6, 1e-12);
  EXPECT_NEAR(first.linkBlocking[1], 25.0 / 53.0, 1e-12);
  // Sweep 2: A sees 1 + 0.5 (1 - 25/53) = 67/53, so B_A = 67/120; B sees 2 + 0.5 (1 - 0.6) =
  // 2.2, so B_B = 2.42 / (1 + 2.2 + 2.42).
  const FixedPoint second = erlangFixedPoint(twoLinks(), 2);
  EXPECT_NEAR(second.linkBlocking[0], 67.0 / 120.0, 1e-12);
  EXPECT_NEAR(second.linkBlocking[1], 2.42 / 5.62, 1e-12);
  EXPECT_NEAR(second.routeBlocking[2], 1.0 - (53.0 / 120.0) * (3.2 / 5.62), 1e-12);
}

TEST(ErlangFixedPoint, ConvergesToAPointItLeavesUnchanged) {
  const FixedPoint point = erlangFixedPoint(twoLinks());
  ASSERT_TRUE(point.converged);
  const double a = point.linkBlocking[0];
  const double b = point.linkBlocking[1];
  EXPECT_NEAR(a, erlangB(1.0 + 0.5 * (1 - b), 1), 1e-12);
  EXPECT_NEAR(b, erlangB(2.0 + 0.5 * (1 - a), 2), 1e-12);
  const double offered = 3.5;
  const double blocked = 1.0 * a + 2.0 * b + 0.5 * (1 - (1 - a) * (1 - b));
  EXPECT_NEAR(point.totalBlocking, blocked / offered, 1e-12);
}

// One sweep of plain substitution, written out route by route: each link's blocking as
// Erlang B of the loads that reach it past the other links of their routes.
std::vector<double> substituted(const LossNetwork& network, const std::vector<double>& blocking) {
  std::vector<double> next;
  for (std::size_t j = 0; j < network.capacities.size(); ++j) {
    double load = 0.0;
    for (const LossRoute& route : network.routes) {
      double reaching = route.load;
      bool uses = false;
      for (std::size_t i : route.links) {
        if (i == j) {
          uses = true;
        } else {
          reaching *= 1.0 - blocking[i];
        }
      }
      if (uses) load += reaching;
    }
    next.push_back(erlangB(load, network.capacities[j]));
  }
  return next;
}

double largestChange(const std::vector<double>& from, const std::vector<double>& to) {
  double change = 0.0;
  for (std::size_t j = 0; j < from.size(); ++j)
    change = std::max(change, std::abs(to[j] - from[j]));
  return change;
}

// A ring of 4 links of 1 circuit, and 4 routes of 2 Erlang, each over 3 links in a row: a
// link that blocks much starves the others, which then block little and flood it again.
LossNetwork swingingRing() {
  LossNetwork ring{{1, 1, 1, 1}, {}};
  for (std::size_t first = 0; first < 4; ++first) {
    ring.routes.push_back({{first, (first + 1) % 4, (first + 2) % 4}, 2.0});
  }
  return ring;
}

TEST(ErlangFixedPoint, DampsASubstitutionThatSwings) {
  const LossNetwork ring = swingingRing();
  // Plain substitution settles into a swing between two points and never converges.
  std::vector<double> plain(4, 0.0);
  std::vector<double> twoBack;
  for (int sweep = 0; sweep < kMostFixedPointSweeps; ++sweep) {
    twoBack = plain;
    plain = substituted(ring, substituted(ring, plain));
  }
  EXPECT_LT(largestChange(twoBack, plain), 1e-9);
  EXPECT_GT(largestChange(plain, substituted(ring, plain)), 0.5);

  const FixedPoint point = erlangFixedPoint(ring);
  ASSERT_TRUE(point.converged);
  EXPECT_EQ(point.dampedFrom, 3);
  EXPECT_LT(point.iterations, 200);
  EXPECT_LE(point.change, kFixedPointTolerance);
  EXPECT_LE(largestChange(point.linkBlocking, substituted(ring, point.linkBlocking)),
            kFixedPointTolerance);
  // By symmetry every link blocks alike: b = E(3 x 2 (1 - b)^2, 1).
  const double load = 6.0 * (1.0 - point.linkBlocking[0]) * (1.0 - point.linkBlocking[0]);
  EXPECT_NEAR(point.linkBlocking[0], load / (1.0 + load), 1e-12);
  EXPECT_NEAR(point.linkBlocking[3], point.linkBlocking[0], 1e-12);
}

TEST(ErlangFixedPoint, SaysHowFarItWasWhenItStops) {
  const FixedPoint point = erlangFixedPoint(swingingRing(), 5);
  EXPECT_FALSE(point.converged);
  EXPECT_EQ(point.iterations, 5);
  EXPECT_GT(point.change, 0.0);
  const std::string text = notConvergedText(point);
  EXPECT_NE(text.find("the Erlang fixed point did not converge in 5 iterations"), std::string::npos)
      << text;
  EXPECT_NE(text.find("(tolerance 1e-13)"), std::string::npos) << text;
  // The first two sweeps are plain whatever follows.
  EXPECT_EQ(erlangFixedPoint(swingingRing(), 2).linkBlocking,
            substituted(swingingRing(), substituted(swingingRing(), {0, 0, 0, 0})));
}

// Random networks from light to extreme loads (up to 1,000 Erlang a route on links of a
// few circuits), where a step cut at every wobble of the change would stall.
TEST(ErlangFixedPoint, ConvergesToAFixedPointOnRandomNetworks) {
  std::mt19937_64 random(22);
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  for (int trial = 0; trial < 300; ++trial) {
    LossNetwork network;
    const std::size_t links = 2 + below(20);
    for (std::size_t j = 0; j < links; ++j) {
      network.capacities.push_back(static_cast<std::int32_t>(1 + below(below(2) ? 4 : 60)));
    }
    const double scale = std::pow(10.0, std::uniform_real_distribution<>(-2.0, 3.0)(random));
    for (std::size_t r = 1 + below(40); r > 0; --r) {
      std::vector<std::size_t> order(links);
      for (std::size_t j = 0; j < links; ++j) order[j] = j;
      std::shuffle(order.begin(), order.end(), random);
      order.resize(1 + below(std::min<std::size_t>(links, 10)));
      network.routes.push_back({order, scale * std::uniform_real_distribution<>()(random)});
    }
    const FixedPoint point = erlangFixedPoint(network);
    ASSERT_TRUE(point.converged) << "trial " << trial << ", change " << point.change;
    EXPECT_LE(largestChange(point.linkBlocking, substituted(network, point.linkBlocking)), 1e-12)
        << "trial " << trial;
  }
}

TEST(ExactBlocking, TwoLinksByHand) {
  // Feasible states (n0, n1, n2) with n0 + n2 <= 1 and n1 + n2 <= 2, weighted
  // 1^n0/n0! 2^n1/n1! 0.5^n2/n2!: n2 = 0 gives 5 for each n0, n2 = 1 gives 0.5 + 1, so
  // G = 11.5. Route 0 is blocked where A is full (5 + 1.5), route 1 where B is full (2 + 2 +
  // 1), route 2 everywhere but n0 = n2 = 0, n1 <= 1 (11.5 - 3).
  const std::optional<ExactBlocking> exact = exactBlocking(twoLinks());
  ASSERT_TRUE(exact.has_value());
  EXPECT_EQ(exact->states, 8);
  EXPECT_NEAR(exact->routeBlocking[0], 6.5 / 11.5, 1e-12);
  EXPECT_NEAR(exact->routeBlocking[1], 5.0 / 11.5, 1e-12);
  EXPECT_NEAR(exact->routeBlocking[2], 8.5 / 11.5, 1e-12);
  EXPECT_NEAR(exact->totalBlocking, (6.5 + 2 * 5.0 + 0.5 * 8.5) / 11.5 / 3.5, 1e-12);
}

TEST(ExactBlocking, ThreeNodeLineMatchesThePublishedFigures) {
  // Routes 0-1, 1-2 and 0-1-2 on 4 circuits at 1.5, 2.5 and 1 Erlang.
  const LossNetwork line{{4, 4}, {{{0}, 1.5}, {{1}, 2.5}, {{0, 1}, 1.0}}};
  const std::optional<ExactBlocking> exact = exactBlocking(line);
  ASSERT_TRUE(exact.has_value());
  EXPECT_NEAR(exact->totalBlocking, 0.22605, 5e-6);
  EXPECT_NEAR(exact->routeBlocking[0], 0.1214, 5e-5);
  EXPECT_NEAR(exact->routeBlocking[1], 0.2483, 5e-5);
  EXPECT_NEAR(exact->routeBlocking[2], 0.3273, 5e-5);
  // The fixed point ignores that the two links fill together, and errs high on the long
  // route.
  const FixedPoint point = erlangFixedPoint(line);
  EXPECT_GT(point.routeBlocking[2], exact->routeBlocking[2]);
}

TEST(LossNetworkTheory, OneLinkIsErlangB) {
  for (std::int32_t circuits : {1, 4, 16}) {
    const LossNetwork link{{circuits}, {{{0}, 0.7 * circuits}}};
    const double expected = erlangB(0.7 * circuits, circuits);
    EXPECT_NEAR(exactBlocking(link)->routeBlocking[0], expected, 1e-12) << circuits;
    EXPECT_NEAR(erlangFixedPoint(link).routeBlocking[0], expected, 1e-12) << circuits;
  }
}

TEST(ExactBlocking, GivesUpBeyondItsStateLimit) {
  // One link of C circuits shared by k routes: C + k choose k states.
  LossNetwork shared{{4}, {}};
  for (int k = 0; k < 3; ++k) shared.routes.push_back({{0}, 1.0});
  EXPECT_EQ(exactBlocking(shared, 35)->states, 35);
  EXPECT_FALSE(exactBlocking(shared, 34).has_value());
  // Two calls in all fit anywhere (3 such states), but the large link holds many more:
  // 2 x 11 states.
  const LossNetwork uneven{{1, 10}, {{{0}, 1.0}, {{1}, 1.0}}};
  EXPECT_EQ(exactBlocking(uneven, 22)->states, 22);
  EXPECT_FALSE(exactBlocking(uneven, 21).has_value());
  // Loads whose unscaled weights would overflow a double still give a blocking: 60
  // circuits carry at most 60 of 30,000 Erlang.
  LossNetwork big{{60, 60}, {}};
  for (int k = 0; k < 3; ++k) big.routes.push_back({{0}, 1e4});
  const std::optional<ExactBlocking> heavy = exactBlocking(big);
  ASSERT_TRUE(heavy.has_value());
  EXPECT_NEAR(heavy->totalBlocking, 1.0 - 60.0 / 3e4, 1e-3);
}

}  // namespace
}  // namespace experiment
