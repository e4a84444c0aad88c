// Tries to break the index of calls by start or end, and the queue of orders beneath it.
#include "calls/due_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <memory_resource>
#include <vector>

#include "calls/order_queue.h"

namespace calls {
namespace {

std::pmr::memory_resource* heap() {
  return std::pmr::new_delete_resource();
}

// Runs split and joined, the ring wrapped round when it grows: the orders come out as
// they went in.
TEST(OrderQueue, GivesOrdersFirstInFirstOutAcrossRunsAndGrowth) {
  OrderQueue queue(heap());
  std::deque<std::uint64_t> expected;
  std::uint64_t next = 0;
  for (int round = 0; round < 50; ++round) {
    // A run or two, then some pops, so that the head moves round the ring.
    for (int k = 0; k < 1 + round % 7; ++k) {
      next += (k + round) % 3 == 0 ? 2 : 1;
      queue.makeRoom();
      queue.push(next);
      expected.push_back(next);
    }
    for (int k = 0; k < round % 5 && !expected.empty(); ++k) {
      ASSERT_EQ(queue.front(), expected.front()) << round;
      queue.pop();
      expected.pop_front();
    }
    ASSERT_EQ(queue.size(), expected.size());
  }
  while (!expected.empty()) {
    ASSERT_EQ(queue.front(), expected.front());
    queue.pop();
    expected.pop_front();
  }
  EXPECT_TRUE(queue.empty());
}

class DueIndexTest : public ::testing::Test {
 protected:
  Call& push(std::int32_t start, std::int32_t duration) {
    byStart.makeRoom();
    Call& call = calls.push(start, duration);
    byStart.promise();
    byStart.insert(call);
    return call;
  }
  // The due calls, newest first.
  std::vector<const Call*> due(std::int32_t t) {
    byStart.advanceTo(t, calls);
    std::vector<const Call*> found;
    std::uint64_t before = std::numeric_limits<std::uint64_t>::max();
    while (Call* call = byStart.latestDueBefore(before, calls)) {
      found.push_back(call);
      before = CallSlots::orderOf(*call);
    }
    return found;
  }
  std::int32_t earliest() {
    std::int32_t tick = 0;
    EXPECT_TRUE(byStart.earliestWaiting(tick));
    return tick;
  }

  CallSlots calls{heap()};
  DueIndex byStart{heap(), DueTick::kStart};
};

TEST_F(DueIndexTest, CallsOutOfOrderWaitBesideThoseInOrder) {
  Call& a = push(5, 1);
  Call& b = push(9, 1);
  Call& c = push(2, 1);
  Call& d = push(9, 1);
  EXPECT_EQ(earliest(), 2);
  EXPECT_EQ(due(4), (std::vector<const Call*>{&c}));
  EXPECT_EQ(earliest(), 5);
  EXPECT_EQ(due(9), (std::vector<const Call*>{&d, &c, &b, &a}));
  std::int32_t tick = 0;
  EXPECT_FALSE(byStart.earliestWaiting(tick));
}

// Back in time, the calls due after the new tick wait again, and come due again in
// reading order.
TEST_F(DueIndexTest, TimeGoingBackMakesCallsWaitAgain) {
  Call& a = push(1, 1);
  Call& b = push(4, 1);
  Call& c = push(2, 1);
  EXPECT_EQ(due(5).size(), 3u);
  EXPECT_EQ(due(2), (std::vector<const Call*>{&c, &a}));
  EXPECT_EQ(earliest(), 4);
  EXPECT_EQ(due(4), (std::vector<const Call*>{&c, &b, &a}));
}

// A started or removed call at the front of what waits no longer gives the earliest tick.
TEST_F(DueIndexTest, CallsNoLongerHeldLeaveTheFront) {
  Call& a = push(3, 1);
  push(7, 1);
  Call& c = push(1, 1);
  push(8, 1);
  EXPECT_EQ(earliest(), 1);
  calls.markStarted(c);
  byStart.stopsHolding(CallSlots::orderOf(c), calls);
  EXPECT_EQ(earliest(), 3);
  const std::uint64_t order = CallSlots::orderOf(a);
  calls.remove(a);
  byStart.stopsHolding(order, calls);
  EXPECT_EQ(earliest(), 7);
  EXPECT_EQ(due(7).size(), 1u);
  EXPECT_EQ(earliest(), 8);
}

}  // namespace
}  // namespace calls
