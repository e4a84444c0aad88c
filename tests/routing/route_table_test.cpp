#include "routing/route_table.h"

#include <gtest/gtest.h>

#include "support/test_console.h"

namespace routing {
namespace {

using testing_support::TestConsole;

class RouteTableTest : public ::testing::Test {
 protected:
  PathSet setOf(std::initializer_list<Path> paths) {
    PathSet set;
    for (const Path& path : paths) set.push_back(PathSetItem{-1, path});
    return set;
  }
  std::vector<std::int32_t> idsInTableOrder() {
    std::vector<std::int32_t> ids;
    for (const RouteEntry& entry : table) ids.push_back(entry.id);
    return ids;
  }

  TestConsole console;
  base::ErrorReporter reporter{console};
  RouteTable table;
};

TEST_F(RouteTableTest, BatchTakesIdsInSetOrderAndListsNewestFirst) {
  PathSet early = setOf({{4, 5}});
  addPairRoutes(table, early, 4, 5, reporter);
  PathSet skip = setOf({{9}, {9}, {9}, {9}, {9}, {9}});
  addPairRoutes(table, skip, 9, 9, reporter);
  ASSERT_EQ(table.nextRouteId(), 7);

  PathSet set = setOf({{0, 1, 2}, {0, 1}, {0, 3, 2}, {0, 4, 1, 2}});
  addPairRoutes(table, set, 0, 2, reporter);
  EXPECT_EQ(table.nextRouteId(), 10);
  std::vector<std::int32_t> ids = idsInTableOrder();
  ASSERT_EQ(ids.size(), 10u);
  EXPECT_EQ((std::vector<std::int32_t>(ids.begin(), ids.begin() + 4)),
            (std::vector<std::int32_t>{9, 8, 7, 6}));

  const RouteEntry& head = *table.begin();
  EXPECT_EQ(head.path, &set[3].path);
  EXPECT_EQ(head.freeCapacity, -1);
  EXPECT_EQ(head.lastChosenId, 0);
  EXPECT_EQ(head.origin, 0);
  EXPECT_EQ(head.destination, 2);

  const std::vector<RouteEntry*>* pair = table.entriesOf(0, 2);
  ASSERT_NE(pair, nullptr);
  ASSERT_EQ(pair->size(), 3u);
  EXPECT_EQ((*pair)[0]->path, &set[0].path);
  EXPECT_EQ((*pair)[2]->id, 9);
  EXPECT_EQ(table.entriesOf(2, 0), nullptr);
  EXPECT_EQ(console.output(), "");
}

TEST_F(RouteTableTest, SetsWithoutMatchingPathsAddNothing) {
  PathSet empty;
  addPairRoutes(table, empty, 0, 2, reporter);
  PathSet other = setOf({{0, 1}, {2, 1, 0}});
  addPairRoutes(table, other, 0, 2, reporter);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.nextRouteId(), 0);
}

TEST_F(RouteTableTest, PairAddedTwiceHoldsBothBatchesAndRepeatedPaths) {
  PathSet first = setOf({{0, 1, 2}, {0, 1, 2}});
  PathSet second = setOf({{0, 3, 2}});
  addPairRoutes(table, first, 0, 2, reporter);
  addPairRoutes(table, second, 0, 2, reporter);
  EXPECT_EQ(idsInTableOrder(), (std::vector<std::int32_t>{2, 1, 0}));
  EXPECT_EQ(table.entriesOf(0, 2)->size(), 3u);
}

TEST_F(RouteTableTest, FreeingKeepsTheIdCounter) {
  PathSet set = setOf({{0, 1}, {0, 1}});
  addPairRoutes(table, set, 0, 1, reporter);
  freeRouteTable(table);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.entriesOf(0, 1), nullptr);
  addPairRoutes(table, set, 0, 1, reporter);
  EXPECT_EQ(idsInTableOrder(), (std::vector<std::int32_t>{3, 2}));
  EXPECT_EQ(set[0].path, (Path{0, 1}));
}

class LoadTest : public ::testing::Test {
 protected:
  LoadTest() {
    network::createLink(links, 0, 1, reporter);
    network::Link* second = network::createLink(links, 1, 2, reporter);
    std::int32_t* counters = links.freeFibers(*second);
    // 13 free channels out of 40 on (1, 2).
    for (int w = 0; w < 20; ++w) counters[w] = w < 13 ? 1 : 0;
  }
  TestConsole console;
  base::ErrorReporter reporter{console};
  network::LinkTable links{20, 2};
};

TEST_F(LoadTest, LinkFreeChannelsSumsCountersOfTheDirectedLink) {
  EXPECT_EQ(linkFreeChannels(links, 0, 1), 40);
  EXPECT_EQ(linkFreeChannels(links, 1, 2), 13);
  EXPECT_EQ(linkFreeChannels(links, 1, 0), -1);
  EXPECT_EQ(linkFreeChannels(links, 7, 8), -1);
}

TEST_F(LoadTest, PathFreeCapacityIsTheLeastLinkOrMinusOne) {
  EXPECT_EQ(pathFreeCapacity({0, 1, 2}, links), 13);
  EXPECT_EQ(pathFreeCapacity({0, 1}, links), 40);
  EXPECT_EQ(pathFreeCapacity({1, 0}, links), -1);
  EXPECT_EQ(pathFreeCapacity({0, 1, 2, 3}, links), -1);
  EXPECT_EQ(pathFreeCapacity({5}, links), 40);
  EXPECT_EQ(pathFreeCapacity({}, links), -1);
}

// The hops of {0, 1, 2} and of {0, 1, 2, 3} by their positions; -1 for the missing (2, 3).
TEST_F(LoadTest, HopsFreeCapacityAgreesWithThePathsNodesWithinARound) {
  const std::vector<std::int32_t> hops{static_cast<std::int32_t>(links.positionOf(0, 1)),
                                       static_cast<std::int32_t>(links.positionOf(1, 2)), -1};
  LinkChannelSums sums;
  sums.reserve(links.size());
  sums.nextRound();
  EXPECT_EQ(hopsFreeCapacity(std::span(hops).first(2), sums, links), 13);
  EXPECT_EQ(hopsFreeCapacity(std::span(hops).first(1), sums, links), 40);
  EXPECT_EQ(hopsFreeCapacity(hops, sums, links), -1);
  EXPECT_EQ(hopsFreeCapacity({}, sums, links), 40);
  links.freeFibers(*network::findLink(links, 0, 1))[0] = -45;
  EXPECT_EQ(hopsFreeCapacity(std::span(hops).first(2), sums, links), 13);
  sums.nextRound();
  EXPECT_EQ(hopsFreeCapacity(std::span(hops).first(2), sums, links), -7);
  EXPECT_EQ(hopsFreeCapacity(hops, sums, links), -7);
}

TEST_F(LoadTest, NegativeCountersLowerTheCapacity) {
  links.freeFibers(*network::findLink(links, 0, 1))[0] = -45;
  EXPECT_EQ(linkFreeChannels(links, 0, 1), -7);
  EXPECT_EQ(pathFreeCapacity({0, 1, 2}, links), -7);
}

}  // namespace
}  // namespace routing
