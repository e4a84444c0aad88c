#include "run/source_schedule.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

namespace run {
namespace {

TEST(SourceSchedule, EmptyScheduleHasNoTick) {
  SourceSchedule schedule(3);
  std::int64_t tick = 7;
  std::vector<std::size_t> sources{1};
  EXPECT_FALSE(schedule.takeNextTick(tick, sources));
}

TEST(SourceSchedule, TickSourcesComeOutAscendingFromBucketsAndHeapAlike) {
  SourceSchedule schedule(4);
  schedule.schedule(5, 3);
  schedule.schedule(1000, 2);  // far ahead
  schedule.schedule(5, 0);
  schedule.schedule(63, 1);
  std::int64_t tick = 0;
  std::vector<std::size_t> sources;
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 5);
  EXPECT_EQ(sources, (std::vector<std::size_t>{0, 3}));
  // Now in the ring's reach, while source 2 still waits in the heap for the same tick.
  schedule.schedule(1000, 3);
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 63);
  schedule.schedule(1000, 1);
  schedule.schedule(990, 0);
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 990);
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 1000);
  EXPECT_EQ(sources, (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_FALSE(schedule.takeNextTick(tick, sources));
}

// Against an ordered set of (tick, source), with ticks spread near and far, including
// ticks that land on a bucket the ring has just passed.
TEST(SourceSchedule, MatchesAnOrderedSet) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 200; ++round) {
    const std::size_t count = 1 + random() % 40;
    SourceSchedule schedule(count);
    std::set<std::pair<std::int64_t, std::size_t>> model;
    std::int64_t now = 0;
    auto ahead = [&random]() -> std::int64_t {
      switch (random() % 4) {
        case 0:
          return 0;
        case 1:
          return static_cast<std::int64_t>(random() % 3);
        case 2:
          return static_cast<std::int64_t>(random() % 130);
        default:
          return static_cast<std::int64_t>(random() % 5000000000ULL);
      }
    };
    for (std::size_t i = 0; i < count; ++i) {
      const std::int64_t tick = ahead();
      schedule.schedule(tick, i);
      model.emplace(tick, i);
    }
    std::vector<std::size_t> sources;
    for (int step = 0; step < 300 && !model.empty(); ++step) {
      std::int64_t tick = -1;
      ASSERT_TRUE(schedule.takeNextTick(tick, sources));
      now = model.begin()->first;
      ASSERT_EQ(tick, now);
      std::vector<std::size_t> expected;
      while (!model.empty() && model.begin()->first == now) {
        expected.push_back(model.begin()->second);
        model.erase(model.begin());
      }
      ASSERT_EQ(sources, expected);
      for (const std::size_t i : sources) {
        if (random() % 10 == 0) continue;  // this source leaves
        const std::int64_t tick2 = now + 1 + ahead();
        schedule.schedule(tick2, i);
        model.emplace(tick2, i);
      }
    }
  }
}

}  // namespace
}  // namespace run
