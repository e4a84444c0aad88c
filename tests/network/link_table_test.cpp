// Tests of the link table: creation, lookup, copies and shared counter arrays.
#include "network/link_table.h"

#include <gtest/gtest.h>

#include "support/test_console.h"

namespace network {
namespace {

using testing_support::TestConsole;

class LinkTableTest : public ::testing::Test {
 protected:
  LinkTable table{20, 2};
  TestConsole console;
  base::ErrorReporter reporter{console};

  void create(std::initializer_list<std::pair<NodeId, NodeId>> pairs, LinkTable& into) {
    for (auto [from, to] : pairs) ASSERT_NE(createLink(into, from, to, reporter), nullptr);
  }
};

TEST_F(LinkTableTest, NewLinkHasFullCountersAndNoRegeneratorCount) {
  Link* link = createLink(table, 3, 4, reporter);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->regenerators, -1);
  const std::int32_t* counters = table.freeFibers(*link);
  for (int w = 0; w < 20; ++w) EXPECT_EQ(counters[w], 2) << w;
}

TEST_F(LinkTableTest, FindLinkKeepsDirectionAndWildcardPrecedence) {
  create({{1, 0}, {2, 1}, {0, 2}, {1, 2}}, table);
  EXPECT_EQ(findLink(table, 0, 1), nullptr);
  EXPECT_EQ(findLink(table, 1, 0), &table[0]);
  EXPECT_EQ(findLink(table, -1, 2), &table[2]);
  EXPECT_EQ(findLink(table, 1, -1), &table[0]);
  EXPECT_EQ(findLink(table, 1, -1, 1), &table[3]);
  EXPECT_EQ(findLink(table, -1, -1), nullptr);
  EXPECT_EQ(findLink(table, 1, 0, 1), nullptr);
  EXPECT_EQ(table.positionOf(2, 1), 1);
  EXPECT_EQ(table.positionOf(2, 0), -1);
}

TEST_F(LinkTableTest, CopyIntoEmptyTableGivesOwnArraysWithEqualValues) {
  create({{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 0}}, table);
  table.shareCounters(1, 0);
  table.freeFibers(table[0])[19] = 1;
  LinkTable copy(20, 2);
  ASSERT_TRUE(copyLinks(table, copy, reporter));
  ASSERT_EQ(copy.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(copy[i].from, table[i].from);
    EXPECT_EQ(copy[i].to, table[i].to);
  }
  EXPECT_EQ(copy.freeFibers(copy[1])[19], 1);
  copy.freeFibers(copy[0])[19] = 0;
  EXPECT_EQ(copy.freeFibers(copy[1])[19], 1);
  EXPECT_EQ(table.freeFibers(table[0])[19], 1);
  EXPECT_EQ(findLink(copy, 2, 0), &copy[4]);
}

TEST_F(LinkTableTest, CopyOfShorterSourceLeavesTheRestAlone) {
  LinkTable shorter(20, 2);
  create({{5, 6}, {6, 7}, {7, 5}}, shorter);
  create({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}}, table);
  ASSERT_TRUE(copyLinks(shorter, table, reporter));
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table[0].from, 5);
  EXPECT_EQ(table[2].to, 5);
  EXPECT_EQ(table[3].from, 3);
  EXPECT_EQ(findLink(table, 0, 1), nullptr);
  EXPECT_EQ(findLink(table, 6, 7), &table[1]);
  EXPECT_EQ(findLink(table, 4, 0), &table[4]);
}

TEST_F(LinkTableTest, PairedCopySharesCountersAndTheEarlierRegenerators) {
  LinkTable loaded(20, 2);
  create({{1, 2}, {2, 1}, {3, 3}}, loaded);
  loaded[0].regenerators = 3;
  loaded[1].regenerators = 0;
  loaded[2].regenerators = 5;
  LinkTable live(20, 2);
  ASSERT_TRUE(copyLinksPaired(loaded, live, reporter));
  EXPECT_EQ(live[0].regenerators, 3);
  EXPECT_EQ(live[1].regenerators, 3);
  EXPECT_EQ(live[2].regenerators, 5);
  live.freeFibers(live[0])[7] -= 1;
  EXPECT_EQ(live.freeFibers(live[1])[7], 1);
  EXPECT_EQ(loaded.freeFibers(loaded[1])[7], 2);

  ASSERT_TRUE(copyLinks(loaded, live, reporter));
  EXPECT_EQ(live[0].regenerators, 3);
  EXPECT_EQ(live[1].regenerators, 0);
  EXPECT_EQ(live.freeFibers(live[1])[7], 2);
  live.freeFibers(live[1])[3] = 0;
  EXPECT_EQ(live.freeFibers(live[0])[3], 0);
}

TEST_F(LinkTableTest, CopiesEveryWavelength) {
  create({{0, 1}}, table);
  for (int w = 0; w < 20; ++w) table.freeFibers(table[0])[w] = w;
  LinkTable copy(20, 2);
  copyLinks(table, copy, reporter);
  for (int w = 0; w < 20; ++w) EXPECT_EQ(copy.freeFibers(copy[0])[w], w);
}

TEST_F(LinkTableTest, FarNodeNumbersCostNoMemory) {
  create({{0, 2000000000}, {2000000000, 0}}, table);
  EXPECT_EQ(table.positionOf(2000000000, 0), 1);
  freeLinks(table);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.positionOf(0, 2000000000), -1);
}

// A row of many entries creates links one by one; each creation must not copy the table.
TEST_F(LinkTableTest, ManyCreationsGrowTheTableGeometrically) {
  int regrowths = 0;
  for (NodeId to = 0; to < 100000; ++to) {
    const std::size_t capacity = table.links().capacity();
    ASSERT_NE(createLink(table, 0, to, reporter), nullptr);
    if (table.links().capacity() != capacity) ++regrowths;
  }
  EXPECT_LT(regrowths, 40);
  EXPECT_EQ(findLink(table, 0, 99999), &table[99999]);
}

TEST_F(LinkTableTest, NoWavelengthsMeansEmptyCounterArrays) {
  LinkTable none(0, 2);
  ASSERT_NE(createLink(none, 0, 1, reporter), nullptr);
  LinkTable copy(-3, 2);
  EXPECT_TRUE(copyLinks(none, copy, reporter));
  EXPECT_EQ(copy.lambdaCount(), 0);
}

}  // namespace
}  // namespace network
