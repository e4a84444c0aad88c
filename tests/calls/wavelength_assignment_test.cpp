// Tests of wavelength assignment: the choice, conversion, blocking causes, and a
// cross-check against trying every ranked wavelength in turn.
#include "calls/wavelength_assignment.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <random>
#include <vector>

#include "support/reference_assignment.h"
#include "support/test_console.h"

namespace calls {
namespace {

using testing_support::assignByTryingEveryRank;
using testing_support::TestConsole;

struct Recorded {
  int type;
  std::int32_t first;
  std::int32_t second;
  bool operator==(const Recorded&) const = default;
};

// lambdaCount 3 on the links (0, 1), (1, 2) and (2, 3).
class AssignmentTest : public ::testing::Test {
 protected:
  AssignmentTest() {
    createBlockingTypes(types);
    for (int a = 0; a < 3; ++a) network::createLink(links, a, a + 1, reporter);
  }
  void set(network::NodeId a, network::NodeId b, std::array<std::int32_t, 3> counters,
           std::int32_t regenerators = -1) {
    network::Link* link = network::findLink(links, a, b);
    for (int w = 0; w < 3; ++w) links.freeFibers(*link)[w] = counters[w];
    link->regenerators = regenerators;
  }
  bool assign(const routing::Path& path) {
    return assignWavelengths(workspace, links, path, order, types, reporter);
  }
  // The reference's ranking, which the choice must agree with.
  std::vector<std::int32_t> orderOf(const routing::Path& path) {
    PathLinks resolved;
    resolved.resolve(links, path);
    return testing_support::orderWavelengths(resolved, 3);
  }
  std::vector<Recorded> recorded() {
    std::vector<Recorded> all;
    for (int type = 0; type < kBlockingTypeCount; ++type) {
      for (const BlockingEvent& event : types[type].events) {
        for (int i = 0; i < event.count; ++i) all.push_back({type, event.first, event.second});
      }
    }
    return all;
  }
  const HopList& hops() const { return workspace.hops; }

  TestConsole console;
  base::ErrorReporter reporter{console};
  network::LinkTable links{3, 2};
  BlockingTypes types;
  AssignmentWorkspace workspace;
  std::vector<std::int32_t> order = std::vector<std::int32_t>(3, 0);
};

TEST_F(AssignmentTest, HighestTotalRunningEndToEndIsTaken) {
  set(0, 1, {1, 0, 1});
  set(1, 2, {0, 1, 1});
  EXPECT_EQ(orderOf({0, 1, 2}), (std::vector<std::int32_t>{2, 0, 1}));
  EXPECT_TRUE(assign({0, 1, 2}));
  EXPECT_EQ(hops(), (HopList{{2, false}, {2, false}}));
  EXPECT_TRUE(recorded().empty());
}

TEST_F(AssignmentTest, EqualTotalsRankByWavelength) {
  set(0, 1, {2, 2, 2});
  set(1, 2, {2, 2, 2});
  EXPECT_EQ(orderOf({0, 1, 2}), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_TRUE(assign({0, 1, 2}));
  EXPECT_EQ(hops(), (HopList{{0, false}, {0, false}}));
  EXPECT_EQ(orderOf({1}), (std::vector<std::int32_t>{0, 1, 2}));
}

TEST_F(AssignmentTest, ConversionUsesARegenerator) {
  set(0, 1, {1, 0, 0});
  set(1, 2, {0, 1, 0}, 1);
  EXPECT_TRUE(assign({0, 1, 2}));
  EXPECT_EQ(hops(), (HopList{{0, false}, {1, true}}));
  EXPECT_TRUE(recorded().empty());
}

TEST_F(AssignmentTest, WavelengthFreeButNoRegeneratorBlocks) {
  set(0, 1, {1, 0, 0});
  for (std::int32_t none : {-1, 0}) {
    set(1, 2, {0, 1, 0}, none);
    EXPECT_FALSE(assign({0, 1, 2}));
    EXPECT_TRUE(hops().empty());
  }
  EXPECT_EQ(recorded(), (std::vector<Recorded>{{1, 1, 2}, {1, 1, 2}}));
}

TEST_F(AssignmentTest, NoWavelengthLaterRecordsWhetherARegeneratorIsThere) {
  set(0, 1, {1, 1, 1});
  set(1, 2, {0, 0, 0});
  EXPECT_FALSE(assign({0, 1, 2}));
  set(1, 2, {0, 0, 0}, 2);
  EXPECT_FALSE(assign({0, 1, 2}));
  EXPECT_EQ(recorded(), (std::vector<Recorded>{{2, 1, 2}, {3, 1, 2}}));
}

TEST_F(AssignmentTest, FirstHopWithoutWavelengthIsNoLambdas) {
  set(0, 1, {0, 0, 0}, 3);
  EXPECT_FALSE(assign({0, 1, 2}));
  EXPECT_EQ(recorded(), (std::vector<Recorded>{{0, 0, 1}}));
}

TEST_F(AssignmentTest, NewWavelengthStaysWhileFree) {
  set(0, 1, {1, 0, 0});
  set(1, 2, {0, 1, 0}, 1);
  set(2, 3, {1, 1, 0});
  EXPECT_TRUE(assign({0, 1, 2, 3}));
  EXPECT_EQ(hops(), (HopList{{0, false}, {1, true}, {1, false}}));
}

TEST_F(AssignmentTest, OneNodePathIsCarriedWithoutHops) {
  PathLinks resolved;
  resolved.resolve(links, {2});
  HopList list;
  for (std::int32_t w = 0; w < 3; ++w) EXPECT_FALSE(tryWavelength(w, resolved, list, reporter));
  EXPECT_EQ(assignWithConversion(resolved, list, types, reporter), 1);
  EXPECT_TRUE(assign({2}));
  EXPECT_TRUE(hops().empty());
  EXPECT_TRUE(recorded().empty());
}

TEST_F(AssignmentTest, NoWavelengthToTryCarriesWithoutHops) {
  set(0, 1, {0, 0, 0});
  EXPECT_TRUE(assignWavelengths(workspace, links, {0, 1, 2}, {}, types, reporter));
  EXPECT_TRUE(hops().empty());
  EXPECT_TRUE(recorded().empty());
}

TEST_F(AssignmentTest, NegativeCountersRankButAreNotFree) {
  set(0, 1, {-2, 1, 0});
  set(1, 2, {-1, 1, 0});
  EXPECT_EQ(orderOf({0, 1, 2}), (std::vector<std::int32_t>{1, 2, 0}));
  set(0, 1, {-1, 0, 0});
  EXPECT_FALSE(assign({0, 1, 2}));
  EXPECT_EQ(recorded(), (std::vector<Recorded>{{0, 0, 1}}));
}

TEST_F(AssignmentTest, MissingLinkHasNothingFree) {
  set(0, 1, {1, 1, 1});
  EXPECT_FALSE(assign({0, 1, 5}));
  EXPECT_EQ(recorded(), (std::vector<Recorded>{{2, 1, 5}}));
}

TEST_F(AssignmentTest, WorkspaceIsReusedAcrossPathsOfDifferentLengths) {
  set(0, 1, {0, 0, 1});
  set(1, 2, {0, 0, 1});
  set(2, 3, {0, 0, 1});
  EXPECT_TRUE(assign({0, 1, 2, 3}));
  EXPECT_EQ(hops().size(), 3u);
  EXPECT_TRUE(assign({1, 2}));
  EXPECT_EQ(hops(), (HopList{{2, false}}));
}

TEST(WavelengthChoice, MatchesTryingEveryRankedWavelength) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  std::mt19937 random(7);
  // Kept from round to round, so that earlier, longer assignments leave their contents.
  AssignmentWorkspace byPosition;
  for (int round = 0; round < 3000; ++round) {
    // Every third round has enough wavelengths to weigh them in blocks, and a remainder.
    const std::int32_t lambdas =
        1 + static_cast<std::int32_t>(random() % (round % 3 == 0 ? 40 : 6));
    // Now and then counters of up to 2^30, whose totals may not fit 32 bits.
    const bool huge = round % 7 == 0;
    const auto highBit = 16 + random() % 14;
    network::LinkTable links(lambdas, 2);
    for (int a = 0; a < 4; ++a) {
      // Now and then a hop's link is missing.
      if (random() % 8 == 0) continue;
      network::Link* link = network::createLink(links, a, a + 1, reporter);
      for (std::int32_t w = 0; w < lambdas; ++w) {
        // Negative counters, stale views' own, only where they are not large.
        const auto small = static_cast<std::int32_t>(random() % 4) - (huge ? 0 : 1);
        const auto high = static_cast<std::int32_t>(random() % 2 + 1) << highBit;
        links.freeFibers(*link)[w] = huge && random() % 2 == 0 ? high - small : small;
      }
      link->regenerators = static_cast<std::int32_t>(random() % 3) - 1;
    }
    routing::Path path;
    const int nodes = 1 + static_cast<int>(random() % 5);
    for (int k = 0; k < nodes; ++k) path.push_back(k);
    BlockingTypes expectedTypes;
    BlockingTypes types;
    createBlockingTypes(expectedTypes);
    createBlockingTypes(types);
    HopList expected;
    // Now and then fewer or more wavelengths to try than the links have (never none:
    // then nothing is tried at all).
    const std::uint32_t draw = random() % 8;
    const std::int32_t shift = draw == 0 && lambdas > 1 ? -1 : draw == 1 ? 1 : 0;
    const auto tried = static_cast<std::size_t>(lambdas + shift);
    const bool expectedCarried =
        assignByTryingEveryRank(links, path, tried, expected, expectedTypes, reporter);
    AssignmentWorkspace workspace;
    std::vector<std::int32_t> order(tried, 0);
    EXPECT_EQ(assignWavelengths(workspace, links, path, order, types, reporter), expectedCarried);
    EXPECT_EQ(workspace.hops, expected) << "round " << round;
    // Links given by position, as a run gives them, choose the same on a used workspace.
    std::vector<std::int32_t> positions;
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
      positions.push_back(static_cast<std::int32_t>(links.positionOf(path[k], path[k + 1])));
    }
    BlockingTypes byPositionTypes;
    createBlockingTypes(byPositionTypes);
    EXPECT_EQ(
        assignWavelengths(byPosition, links, path, order, byPositionTypes, reporter, positions),
        expectedCarried);
    EXPECT_EQ(byPosition.hops, expected) << "round " << round;
    for (int type = 0; type < kBlockingTypeCount; ++type) {
      EXPECT_EQ(blockingTotal(types[type]), blockingTotal(expectedTypes[type]));
    }
  }
}

TEST(HopList, AppendsInOrderAndCopiesWhole) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  HopList list;
  appendHop(list, 4, reporter);
  appendHopFlagged(list, 2, true, reporter);
  HopList copy;
  appendHop(copy, 9, reporter);
  EXPECT_TRUE(copyHops(list, copy, reporter));
  EXPECT_EQ(copy, (HopList{{4, false}, {2, true}}));
  freeHops(list);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace calls
