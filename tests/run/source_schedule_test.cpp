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

// Drives a schedule of `count` sources against an ordered set of (tick, source), for up to
// `steps` ticks: every source waits from the start, and each one taken waits again, `ahead()`
// ticks after the next, unless it leaves (one in `leaveOneIn`); one in `sameTickOneIn` (0
// for none) waits for the tick just taken again, as a view's wake-up may.
template <typename Ahead>
void expectOrderOfASet(std::mt19937_64& random, std::size_t count, int steps, Ahead ahead,
                       unsigned leaveOneIn, unsigned sameTickOneIn) {
  SourceSchedule schedule(count);
  std::set<std::pair<std::int64_t, std::size_t>> model;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int64_t tick = ahead();
    schedule.schedule(tick, i);
    model.emplace(tick, i);
  }
  std::vector<std::size_t> sources;
  for (int step = 0; step < steps && !model.empty(); ++step) {
    std::int64_t tick = -1;
    ASSERT_TRUE(schedule.takeNextTick(tick, sources));
    const std::int64_t now = model.begin()->first;
    ASSERT_EQ(tick, now);
    std::vector<std::size_t> expected;
    while (!model.empty() && model.begin()->first == now) {
      expected.push_back(model.begin()->second);
      model.erase(model.begin());
    }
    ASSERT_EQ(sources, expected);
    for (const std::size_t i : sources) {
      if (random() % leaveOneIn == 0) continue;
      const bool again = sameTickOneIn != 0 && random() % sameTickOneIn == 0;
      const std::int64_t next = again ? now : now + 1 + ahead();
      schedule.schedule(next, i);
      model.emplace(next, i);
    }
  }
}

// Ticks spread near and far, including ticks that land on a bucket the ring has just
// passed.
TEST(SourceSchedule, MatchesAnOrderedSet) {
  std::mt19937_64 random(11);
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
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    expectOrderOfASet(random, 1 + random() % 40, 300, ahead, 10, 0);
  }
}

// Many sources, so that a tick's sources span bitmap words and summary words; sources come
// back in the tick just taken, and far ticks join sources already in the ring.
TEST(SourceSchedule, MatchesAnOrderedSetWithManySources) {
  std::mt19937_64 random(23);
  auto ahead = [&random]() -> std::int64_t {
    switch (random() % 5) {
      case 0:
        return 0;
      case 1:
        return static_cast<std::int64_t>(random() % 3);
      case 2:
        return static_cast<std::int64_t>(random() % 70);
      case 3:
        return 64;
      default:
        return static_cast<std::int64_t>(random() % 300);
    }
  };
  for (const std::size_t count : {std::size_t{65}, std::size_t{700}, std::size_t{5000}}) {
    SCOPED_TRACE(count);
    expectOrderOfASet(random, count, 2000, ahead, 50, 20);
  }
}

// A few sources among very many, spread over every summary level's word edges.
TEST(SourceSchedule, SparseSourcesAmongManyComeOutInOrder) {
  const std::size_t count = 300000;  // four levels of words
  SourceSchedule schedule(count);
  const std::vector<std::size_t> picked{0, 63, 64, 4095, 4096, 262143, 262144, count - 1};
  // Scheduled out of order, half of them from the heap.
  for (std::size_t k = picked.size(); k-- > 0;) schedule.schedule(k % 2 == 0 ? 10 : 200, picked[k]);
  std::int64_t tick = 0;
  std::vector<std::size_t> sources;
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 10);
  EXPECT_EQ(sources, (std::vector<std::size_t>{0, 64, 4096, 262144}));
  // Once tick 150 is taken, 200 is within the ring's reach, while the others still wait for
  // it in the heap.
  schedule.schedule(150, 5);
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 150);
  EXPECT_EQ(sources, (std::vector<std::size_t>{5}));
  for (const std::size_t i :
       {std::size_t{0}, std::size_t{64}, std::size_t{4096}, std::size_t{262144}}) {
    schedule.schedule(200, i);
  }
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 200);
  EXPECT_EQ(sources, picked);
  // Taken words were cleared: a single source again finds nothing else with it.
  schedule.schedule(200, 4095);
  ASSERT_TRUE(schedule.takeNextTick(tick, sources));
  EXPECT_EQ(tick, 200);
  EXPECT_EQ(sources, (std::vector<std::size_t>{4095}));
  EXPECT_FALSE(schedule.takeNextTick(tick, sources));
}

}  // namespace
}  // namespace run
