#include "calls/blocking_stats.h"

#include <gtest/gtest.h>

#include "support/test_console.h"

namespace calls {
namespace {

using testing_support::TestConsole;

class BlockingStatsTest : public ::testing::Test {
 protected:
  void SetUp() override { createBlockingTypes(types); }
  TestConsole console;
  base::ErrorReporter reporter{console};
  BlockingTypes types;
};

TEST_F(BlockingStatsTest, SameKeyIsCountedInOneEvent) {
  for (int i = 0; i < 3; ++i) recordBlocking(types[0], 1, 2, reporter);
  ASSERT_EQ(types[0].events.size(), 1u);
  EXPECT_EQ(types[0].events[0].count, 3);
  EXPECT_EQ(blockingTotal(types[0]), 3);
}

TEST_F(BlockingStatsTest, KeysAreOrderedPairs) {
  recordBlocking(types[2], 1, 2, reporter);
  recordBlocking(types[2], 2, 1, reporter);
  EXPECT_EQ(types[2].events.size(), 2u);
}

TEST_F(BlockingStatsTest, EmptyTypeTotalsMinusOne) {
  EXPECT_EQ(blockingTotal(types[4]), -1);
}

TEST_F(BlockingStatsTest, ReportListsKeysNewestFirstWithTotals) {
  recordBlocking(types[1], 2, 5, reporter);
  recordBlocking(types[1], 2, 5, reporter);
  recordBlocking(types[1], 1, 2, reporter);
  recordBlocking(types[1], 2, 5, reporter);
  recordBlocking(types[4], 7, 0, reporter);
  printBlockingReport(types, 5, console);
  EXPECT_EQ(console.output(),
            "\n\n"
            "\n\t -Bloqueos Tipo 0: -1 \n\t Descrip: No hay Lamdas\n\n"
            "\n\t -Bloqueos Tipo 1: 4 \n\t Descrip: Faltan Regeneradores\n"
            "\t  1 - 2 : 1;\t  2 - 5 : 3;\n"
            "\n\t -Bloqueos Tipo 2: -1 \n\t Descrip: Faltan Lamdas & Regeneradores\n\n"
            "\n\t -Bloqueos Tipo 3: -1 \n\t Descrip: Faltan Lamdas; Si Regeneradores\n\n"
            "\n\t -Bloqueos Tipo 4: 1 \n\t Descrip: Error Actualizacion\n\t  7 - 0 : 1;\n");
}

TEST_F(BlockingStatsTest, FreedListsStartTheNextRunEmpty) {
  recordBlocking(types[3], 4, 4, reporter);
  for (auto& type : types) freeBlockingEvents(type);
  recordBlocking(types[3], 5, 6, reporter);
  ASSERT_EQ(types[3].events.size(), 1u);
  EXPECT_EQ(types[3].events[0].first, 5);
  EXPECT_EQ(types[3].events[0].count, 1);
  EXPECT_EQ(types[3].description, "Faltan Lamdas; Si Regeneradores");
}

TEST_F(BlockingStatsTest, NegativeKeysAreCountedLikeAnyOther) {
  recordBlocking(types[4], -2147483647 - 1, -1, reporter);
  recordBlocking(types[4], -2147483647 - 1, -1, reporter);
  EXPECT_EQ(types[4].events.size(), 1u);
  EXPECT_EQ(types[4].events[0].count, 2);
}

}  // namespace
}  // namespace calls
