// Tests of the path policies: random, rotating, least loaded and balanced.
#include "calls/path_selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_console.h"

namespace calls {
namespace {

using routing::Path;
using routing::PathSet;
using testing_support::TestConsole;

// Every entry with a path, of every pair, recomputed on the links.
void refreshFreeCapacity(routing::RouteTable& table, const network::LinkTable& links) {
  for (routing::RouteEntry& entry : table) {
    if (entry.path != nullptr) entry.freeCapacity = routing::pathFreeCapacity(*entry.path, links);
  }
}

PathSet setOfSize(int count) {
  PathSet set;
  for (int i = 0; i < count; ++i) set.push_back({-1, {0, 10 + i, 1}});
  return set;
}

std::vector<std::ptrdiff_t> positions(const PathSet& set, std::vector<const Path*> chosen) {
  std::vector<std::ptrdiff_t> result;
  for (const Path* path : chosen) {
    std::ptrdiff_t position = -1;
    for (std::size_t i = 0; i < set.size(); ++i) {
      if (&set[i].path == path) position = static_cast<std::ptrdiff_t>(i);
    }
    result.push_back(position);
  }
  return result;
}

using Positions = std::vector<std::ptrdiff_t>;

TEST(RandomGenerator, StartsFromStateOne) {
  // state 1 * 214013 + 2531011 = 2745024, bits 16-30: 41; then 3357800067 -> 18467,
  // 415139642 -> 6334.
  RandomGenerator random;
  EXPECT_EQ(random.draw(), 41);
  EXPECT_EQ(random.draw(), 18467);
  EXPECT_EQ(random.draw(), 6334);
}

TEST(RandomPath, DrawsAmongTheFirstPathCountItems) {
  RandomGenerator random;
  PathSet six = setOfSize(6);
  std::vector<const Path*> chosen;
  for (int i = 0; i < 3; ++i) chosen.push_back(randomPath(six, 4, random));
  // 41, 18467 and 6334 modulo 4.
  EXPECT_EQ(positions(six, chosen), (Positions{1, 3, 2}));
  for (int i = 0; i < 2000; ++i) {
    EXPECT_LT(positions(six, {randomPath(six, 4, random)})[0], 4);
  }
}

TEST(RandomPath, ShortSetCountsModuloItsSizeAndEmptySetDrawsNothing) {
  RandomGenerator random;
  PathSet empty;
  EXPECT_EQ(randomPath(empty, 4, random), nullptr);
  PathSet three = setOfSize(3);
  std::vector<const Path*> chosen;
  for (int i = 0; i < 3; ++i) chosen.push_back(randomPath(three, 4, random));
  // 41, 18467 and 6334 modulo 3: the empty set made no draw.
  EXPECT_EQ(positions(three, chosen), (Positions{2, 2, 1}));
  EXPECT_NE(randomPath(three, 0, random), nullptr);
}

Positions rotate(PathSet& set, std::int32_t pathCount, int calls) {
  std::vector<const Path*> chosen;
  for (int i = 0; i < calls; ++i) chosen.push_back(rotatingPath(set, pathCount));
  return positions(set, chosen);
}

TEST(RotatingPath, TakesTheFirstItemTwiceAtEveryWrap) {
  PathSet four = setOfSize(4);
  EXPECT_EQ(rotate(four, 4, 7), (Positions{0, 1, 2, 3, 0, 0, 1}));
  PathSet six = setOfSize(6);
  EXPECT_EQ(rotate(six, 4, 10), (Positions{0, 1, 2, 3, 4, 0, 1, 2, 3, 4}));
  PathSet two = setOfSize(2);
  EXPECT_EQ(rotate(two, 4, 10), (Positions{0, 1, 0, 0, 1, 0, 1, 0, 0, 1}));
  EXPECT_EQ(two.front().roundRobinIndex, -1);
  EXPECT_EQ(two.back().roundRobinIndex, -1);
  PathSet empty;
  EXPECT_EQ(rotatingPath(empty, 4), nullptr);
}

// Pair (0, 9) with four paths 0-k-9 whose free capacities are those of the links (k, 9).
class LeastLoadedTest : public ::testing::Test {
 protected:
  LeastLoadedTest() {
    for (int k = 1; k <= 4; ++k) {
      network::createLink(links, 0, k, reporter);
      network::createLink(links, k, 9, reporter);
      paths.push_back({-1, {0, k, 9}});
    }
    paths.push_back({-1, {0, 1}});
    routing::addPairRoutes(table, paths, 0, 9, reporter);
  }
  void setCounters(std::vector<std::int32_t> capacities) {
    for (int k = 1; k <= 4; ++k) {
      std::int32_t* counters = links.freeFibers(*network::findLink(links, k, 9));
      for (int w = 0; w < 20; ++w) counters[w] = 0;
      counters[0] = capacities[static_cast<std::size_t>(k - 1)];
    }
  }
  void setCapacities(std::vector<std::int32_t> capacities) {
    setCounters(capacities);
    refreshFreeCapacity(table, links);
  }
  std::vector<std::int32_t> capacities() const {
    std::vector<std::int32_t> all;
    for (const routing::RouteEntry& entry : table) all.push_back(entry.freeCapacity);
    return all;
  }
  std::ptrdiff_t balanced() {
    const routing::RouteEntry* entry = leastLoadedRouteBalanced(routesByNodes(table, 0, 9).entries);
    return entry == nullptr ? -1 : positions(paths, {entry->path})[0];
  }
  std::ptrdiff_t earliest() {
    const routing::RouteEntry* entry = leastLoadedRoute(routesByNodes(table, 0, 9).entries);
    return entry == nullptr ? -1 : positions(paths, {entry->path})[0];
  }

  TestConsole console;
  base::ErrorReporter reporter{console};
  network::LinkTable links{20, 2};
  PathSet paths;
  routing::RouteTable table;
};

TEST_F(LeastLoadedTest, RefreshComputesEveryEntryOnTheLinks) {
  setCapacities({13, 20, 20, 7});
  EXPECT_EQ(capacities(), (std::vector<std::int32_t>{7, 20, 20, 13}));
}

// The policies rely on it: the pair's entries as a full refresh gives them, no other.
TEST_F(LeastLoadedTest, PairRefreshRecomputesThatPairOnly) {
  routing::addPairRoutes(table, paths, 0, 1, reporter);
  setCapacities({13, 20, 20, 7});
  EXPECT_EQ(capacities(), (std::vector<std::int32_t>{40, 7, 20, 20, 13}));
  links.freeFibers(*network::findLink(links, 0, 1))[0] = 0;
  setCounters({1, 2, 3, 4});
  refreshPairCapacity(routesByNodes(table, 0, 9), links);
  EXPECT_EQ(capacities(), (std::vector<std::int32_t>{40, 4, 3, 2, 1}));
  refreshPairCapacity(routesByNodes(table, 0, 1), links);
  EXPECT_EQ(capacities().front(), 38);
  refreshPairCapacity(routesByNodes(table, 9, 0), links);
  EXPECT_EQ(capacities(), (std::vector<std::int32_t>{38, 4, 3, 2, 1}));
}

// A run gives the entries their hops' positions; without a link the capacity is -1, and an
// entry left to its nodes is found as before.
TEST_F(LeastLoadedTest, KnownHopsGiveTheCapacitiesFoundByNodes) {
  PathSet far{{-1, {0, 7, 9}}, {-1, {0, 2, 9}}};
  routing::addPairRoutes(table, far, 0, 9, reporter);
  const PairRoutes byNodes = routesByNodes(table, 0, 9);
  std::vector<std::vector<std::int32_t>> positions;
  for (const routing::RouteEntry* entry : byNodes.entries) {
    std::vector<std::int32_t>& hops = positions.emplace_back();
    for (std::size_t k = 1; k < entry->path->size(); ++k) {
      hops.push_back(
          static_cast<std::int32_t>(links.positionOf((*entry->path)[k - 1], (*entry->path)[k])));
    }
  }
  std::vector<RouteHops> known;
  for (const auto& hops : positions) known.push_back({hops, false});
  known.back().positions = {};
  known.back().byNodes = true;
  setCounters({13, 20, 6, 7});
  refreshPairCapacity(byNodes, links);
  const std::vector<std::int32_t> expected = capacities();
  EXPECT_EQ(expected, (std::vector<std::int32_t>{20, -1, 7, 6, 20, 13}));
  for (routing::RouteEntry& entry : table) entry.freeCapacity = -9;
  routing::LinkChannelSums sums;
  sums.reserve(links.size());
  const PairRoutes byHops{byNodes.entries, known, &sums};
  refreshPairCapacity(byHops, links);
  EXPECT_EQ(capacities(), expected);
  // A refresh sums the links again.
  setCounters({2, 20, 6, 7});
  refreshPairCapacity(byHops, links);
  EXPECT_EQ(capacities(), (std::vector<std::int32_t>{20, -1, 7, 6, 20, 2}));
}

TEST_F(LeastLoadedTest, EarliestOfTheMostFreeWins) {
  setCapacities({13, 20, 20, 7});
  EXPECT_EQ(earliest(), 1);
  EXPECT_EQ(earliest(), 1);
  setCapacities({0, 0, 0, 0});
  EXPECT_EQ(earliest(), 0);
  setCapacities({-5, -1, -2, -3});
  EXPECT_EQ(earliest(), -1);
  EXPECT_EQ(leastLoadedRoute(routesByNodes(table, 9, 0).entries), nullptr);
}

TEST_F(LeastLoadedTest, BalancedAlternatesAndRestartsWhenTheChosenDrops) {
  // Ids 0 to 3: the pair holds id 0, which the anchor's initial memory names.
  setCapacities({13, 20, 20, 7});
  EXPECT_EQ(balanced(), 1);
  EXPECT_EQ(balanced(), 2);
  EXPECT_EQ(balanced(), 1);
  EXPECT_EQ(table.begin()->lastChosenId, 1);
  setCapacities({20, 7, 20, 20});
  EXPECT_EQ(balanced(), 0);
  EXPECT_EQ(balanced(), 2);
  EXPECT_EQ(balanced(), 3);
  EXPECT_EQ(balanced(), 0);
}

TEST_F(LeastLoadedTest, BalancedRotatesOverAllZeroStartingAfterIdZero) {
  setCapacities({0, 0, 0, 0});
  EXPECT_EQ(balanced(), 1);
  EXPECT_EQ(balanced(), 2);
  EXPECT_EQ(balanced(), 3);
  EXPECT_EQ(balanced(), 0);
  setCapacities({-1, -1, -1, -1});
  EXPECT_EQ(balanced(), -1);
  EXPECT_EQ(table.begin()->lastChosenId, 0);
  EXPECT_EQ(leastLoadedRouteBalanced(routesByNodes(table, 9, 0).entries), nullptr);
  EXPECT_EQ(console.output(), "");
}

TEST_F(LeastLoadedTest, OneNodePathIsAlwaysAmongTheMostFree) {
  PathSet loop{{-1, {5}}};
  routing::addPairRoutes(table, loop, 5, 5, reporter);
  setCapacities({40, 40, 40, 40});
  EXPECT_EQ(table.begin()->freeCapacity, 40);
  EXPECT_EQ(leastLoadedRoute(routesByNodes(table, 5, 5).entries)->path, &loop[0].path);
  EXPECT_EQ(leastLoadedRouteBalanced(routesByNodes(table, 5, 5).entries)->path, &loop[0].path);
  EXPECT_EQ(leastLoadedRouteBalanced(routesByNodes(table, 5, 5).entries)->path, &loop[0].path);
}

TEST_F(LeastLoadedTest, ChoosePathDispatchesByPolicy) {
  CallSource source;
  source.origin = 0;
  source.destination = 9;
  source.paths = setOfSize(3);
  RandomGenerator random;
  setCapacities({13, 20, 20, 7});
  const PairRoutes routes = routesByNodes(table, 0, 9);
  EXPECT_EQ(choosePath(1, 4, source, routes, links, random), &source.paths[2].path);
  EXPECT_EQ(choosePath(2, 4, source, routes, links, random), &source.paths[0].path);
  EXPECT_EQ(choosePath(3, 4, source, routes, links, random), &paths[1].path);
  EXPECT_EQ(choosePath(4, 4, source, routes, links, random), &paths[1].path);
  EXPECT_EQ(choosePath(5, 4, source, routes, links, random), nullptr);
  EXPECT_EQ(choosePath(0, 4, source, routes, links, random), nullptr);
}

}  // namespace
}  // namespace calls
