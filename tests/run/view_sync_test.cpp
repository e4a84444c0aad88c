#include "run/view_sync.h"

#include <gtest/gtest.h>

#include <random>

namespace run {
namespace {

CheckResult checkTickByTick(std::int32_t lastRefresh, std::int32_t interval, std::int32_t first,
                            std::uint64_t count) {
  bool refreshed = false;
  auto tick = static_cast<std::uint32_t>(first);
  for (std::uint64_t i = 0; i < count; ++i, ++tick) {
    if (refreshDue(static_cast<std::int32_t>(tick), lastRefresh, interval)) {
      lastRefresh = static_cast<std::int32_t>(tick);
      refreshed = true;
    }
  }
  return {lastRefresh, refreshed};
}

TEST(RefreshDue, ComparesAsUnsignedAfterAWrappingSum) {
  EXPECT_FALSE(refreshDue(7, 5, 3));
  EXPECT_TRUE(refreshDue(8, 5, 3));
  // A negative interval from 0 wraps to a huge threshold: never due.
  EXPECT_FALSE(refreshDue(1000, 0, -5));
  EXPECT_TRUE(refreshDue(-1, 0, -5));
  // Negative ticks are large unsigned numbers.
  EXPECT_TRUE(refreshDue(-2147483647 - 1, 2147483647, 0));
}

TEST(ApplyRefreshChecks, AgreesWithCheckingEveryTick) {
  std::mt19937 random(7);
  const std::int32_t intervals[] = {0, 1, 2, 3, 7, 100, -1, -5, 2147483647, -2147483647 - 1};
  const std::int32_t starts[] = {0, 5, 1000, 2147483600, -100, -1};
  for (std::int32_t interval : intervals) {
    for (std::int32_t first : starts) {
      for (int trial = 0; trial < 20; ++trial) {
        const auto lastRefresh =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(first) - random() % 300);
        const std::uint64_t count = random() % 400;
        const CheckResult fast = applyRefreshChecks(lastRefresh, interval, first, count);
        const CheckResult slow = checkTickByTick(lastRefresh, interval, first, count);
        ASSERT_EQ(fast.lastRefresh, slow.lastRefresh)
            << interval << " " << first << " " << lastRefresh << " " << count;
        ASSERT_EQ(fast.refreshed, slow.refreshed);
      }
    }
  }
}

TEST(ApplyRefreshChecks, CoversTwoBillionTicksAtOnce) {
  const CheckResult result = applyRefreshChecks(0, 7, 1, 2000000000);
  EXPECT_TRUE(result.refreshed);
  EXPECT_EQ(result.lastRefresh, 2000000000 / 7 * 7);
}

}  // namespace
}  // namespace run
