// Tries to break the call timeline, alone and against the plain scan of a list.
#include "calls/call_timeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <memory_resource>
#include <new>
#include <random>
#include <vector>

#include "support/scan_timeline.h"
#include "support/test_console.h"

namespace calls {
namespace {

using testing_support::ScanTimeline;
using testing_support::TestConsole;

class TimelineTest : public ::testing::Test {
 protected:
  Call* push(std::int32_t start, std::int32_t duration) {
    return pushCall(list, start, duration, reporter);
  }
  // The calls a start pass at t starts, in visiting order; they become active.
  std::vector<Call*> startPass(std::int32_t t) {
    std::vector<Call*> started;
    CallCursor cursor;
    while (findNextCall(list, cursor, t, CallSearch::kStarting)) {
      markStarted(list, *cursor.call);
      started.push_back(cursor.call);
    }
    return started;
  }
  // The starts of the calls an end pass at t removes, in visiting order.
  std::vector<std::int32_t> endPass(std::int32_t t) {
    std::vector<std::int32_t> ended;
    CallCursor cursor;
    while (findNextCall(list, cursor, t, CallSearch::kEnding)) {
      ended.push_back(cursor.call->start());
      removeCall(list, cursor);
      EXPECT_EQ(cursor.call, nullptr);
    }
    return ended;
  }

  TestConsole console;
  base::ErrorReporter reporter{console};
  CallList list;
};

TEST_F(TimelineTest, EmptyListFindsNothing) {
  CallCursor cursor;
  EXPECT_FALSE(findNextCall(list, cursor, 0, CallSearch::kStarting));
  EXPECT_FALSE(findNextCall(list, cursor, 0, CallSearch::kEnding));
}

TEST_F(TimelineTest, PushedCallWaitsAtTheHead) {
  Call* older = push(3, 4);
  Call* newer = push(5, 1);
  EXPECT_EQ(list.newest(), newer);
  EXPECT_FALSE(newer->active());
  EXPECT_EQ(newer->path, nullptr);
  EXPECT_TRUE(newer->hops.empty());
  EXPECT_EQ(older->end(), 7);
}

TEST_F(TimelineTest, DurationZeroStartsAndEndsInTheSameTick) {
  Call* call = push(2, 0);
  EXPECT_TRUE(startPass(1).empty());
  EXPECT_EQ(startPass(2), (std::vector<Call*>{call}));
  EXPECT_EQ(endPass(2), (std::vector<std::int32_t>{2}));
  EXPECT_TRUE(list.empty());
}

TEST_F(TimelineTest, DueCallsStartNewestFirstAndOnlyOnce) {
  Call* a = push(0, 10);
  Call* b = push(1, 10);
  push(9, 10);
  Call* d = push(-4, 10);
  EXPECT_EQ(startPass(1), (std::vector<Call*>{d, b, a}));
  EXPECT_TRUE(startPass(2).empty());
  // A call read during the tick after a pass starts in the next pass of that tick.
  Call* e = push(2, 1);
  EXPECT_EQ(startPass(2), (std::vector<Call*>{e}));
}

TEST_F(TimelineTest, EndIsStartPlusDuration) {
  push(5, 3);
  startPass(5);
  EXPECT_TRUE(endPass(7).empty());
  EXPECT_EQ(endPass(8), (std::vector<std::int32_t>{5}));
}

TEST_F(TimelineTest, RemovalRestartsAtTheHeadSoEveryExpiredCallGoesNewestFirst) {
  push(1, 1);
  push(2, 5);
  push(3, 0);
  push(4, -1);
  push(0, 3);
  startPass(3);
  EXPECT_EQ(endPass(3), (std::vector<std::int32_t>{0, 4, 3, 1}));
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.newest()->start(), 2);
}

TEST_F(TimelineTest, NegativeDurationEndsAWaitingCallUnstarted) {
  push(6, -2);
  EXPECT_EQ(endPass(4), (std::vector<std::int32_t>{6}));
  EXPECT_TRUE(list.empty());
}

TEST_F(TimelineTest, EndWrapsAroundIn32Bits) {
  Call* call = push(2147483647, 1);
  EXPECT_EQ(call->end(), -2147483647 - 1);
  EXPECT_EQ(endPass(-2147483647 - 1), (std::vector<std::int32_t>{2147483647}));
}

TEST_F(TimelineTest, RemovingHeadOrTailKeepsTheOthersInOrder) {
  push(1, 9);
  push(2, 9);
  push(3, 9);
  push(4, 9);
  CallCursor cursor;
  ASSERT_TRUE(findNextCall(list, cursor, 9, CallSearch::kStarting));
  removeCall(list, cursor);
  // The oldest: the last one a pass visits.
  while (findNextCall(list, cursor, 9, CallSearch::kStarting)) {
    if (cursor.call->start() == 1) break;
  }
  removeCall(list, cursor);
  std::vector<std::int32_t> starts;
  list.forEachNewestFirst([&](const Call& c) { starts.push_back(c.start()); });
  EXPECT_EQ(starts, (std::vector<std::int32_t>{3, 2}));
}

// Gives memory as the default resource does until a set number of allocations, then
// refuses every request. Counts the requests.
class FailingMemory final : public std::pmr::memory_resource {
 public:
  void allow(int allocations) { allowed_ = allocations; }
  int requests() const { return requests_; }

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    ++requests_;
    if (allowed_-- <= 0) throw std::bad_alloc();
    return std::pmr::new_delete_resource()->allocate(bytes, alignment);
  }
  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
  }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
  int allowed_ = 1000;
  int requests_ = 0;
};

// Random pushes, searches, starts, removals, cursor clears, tick moves and whole passes,
// checked step by step against the scan. With `memory`, also that only pushes ask it for
// memory.
void agreeWithTheScan(CallList& list, std::mt19937& rng, base::ErrorReporter& reporter, int round,
                      const FailingMemory* memory = nullptr) {
  auto pick = [&rng](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
  };
  ScanTimeline scan;
  std::map<const Call*, int> idOf;
  CallCursor cursor;
  std::int32_t t = pick(-3, 3);
  for (int step = 0; step < 300; ++step) {
    const int requestsBefore = memory != nullptr ? memory->requests() : 0;
    const int action = pick(0, 11);
    if (action <= 2) {
      const std::int32_t start = t + pick(-3, 6);
      const std::int32_t duration = pick(0, 9) == 0 ? pick(-4, -1) : pick(0, 6);
      if (Call* call = pushCall(list, start, duration, reporter)) {
        idOf[call] = scan.push(start, duration);
      }
    } else if (action <= 6) {
      const CallSearch mode = action <= 4 ? CallSearch::kStarting : CallSearch::kEnding;
      const bool expected = scan.find(t, mode);
      ASSERT_EQ(findNextCall(list, cursor, t, mode), expected) << round << "/" << step;
      if (expected) {
        ASSERT_EQ(idOf[cursor.call], scan.cursor().id) << round << "/" << step;
        if (mode == CallSearch::kStarting && pick(0, 3) > 0) {
          markStarted(list, *cursor.call);
          scan.markStarted();
        }
      }
    } else if (action == 7) {
      if (cursor.call != nullptr) {
        removeCall(list, cursor);
        scan.remove();
      }
    } else if (action == 8) {
      cursor.clear();
      scan.clearCursor();
    } else if (action == 9) {
      // Mostly forward, sometimes back.
      t += pick(0, 9) == 0 ? -pick(1, 4) : pick(0, 2);
    } else {
      // A pass run to its end, as a run makes them; then the earliest tick ahead.
      cursor.clear();
      scan.clearCursor();
      const CallSearch mode = action == 10 ? CallSearch::kStarting : CallSearch::kEnding;
      while (findNextCall(list, cursor, t, mode)) {
        ASSERT_TRUE(scan.find(t, mode)) << round << "/" << step;
        ASSERT_EQ(idOf[cursor.call], scan.cursor().id) << round << "/" << step;
        if (mode == CallSearch::kStarting) {
          markStarted(list, *cursor.call);
          scan.markStarted();
        } else {
          removeCall(list, cursor);
          scan.remove();
        }
      }
      ASSERT_FALSE(scan.find(t, mode)) << round << "/" << step;
      cursor.clear();
      scan.clearCursor();
      std::int32_t tick = 0;
      std::int32_t expectedTick = 0;
      if (mode == CallSearch::kStarting) {
        ASSERT_EQ(list.earliestWaitingStart(tick), scan.earliestWaitingStart(expectedTick));
      } else {
        ASSERT_EQ(list.earliestEnd(tick), scan.earliestEnd(expectedTick));
      }
      ASSERT_EQ(tick, expectedTick) << round << "/" << step;
      // Both at once give what each gives alone.
      CallList::Earliest each;
      each.starts = list.earliestWaitingStart(each.start);
      each.ends = list.earliestEnd(each.end);
      const CallList::Earliest both = list.earliest();
      ASSERT_EQ(both.starts, each.starts) << round << "/" << step;
      ASSERT_EQ(both.ends, each.ends) << round << "/" << step;
      if (each.starts) {
        ASSERT_EQ(both.start, each.start) << round << "/" << step;
      }
      if (each.ends) {
        ASSERT_EQ(both.end, each.end) << round << "/" << step;
      }
    }
    if (memory != nullptr && action > 2) {
      ASSERT_EQ(memory->requests(), requestsBefore) << round << "/" << step;
    }
    ASSERT_EQ(list.size(), scan.size());
    const Call* head = list.newest();
    ASSERT_EQ(head == nullptr, scan.newest() == nullptr);
    if (head != nullptr) {
      ASSERT_EQ(idOf[head], scan.newest()->id) << round << "/" << step;
    }
  }
}

TEST_F(TimelineTest, AgreesWithTheScanOfAList) {
  std::mt19937 rng(20240607);
  for (int round = 0; round < 200; ++round) {
    freeCalls(list);
    agreeWithTheScan(list, rng, reporter, round);
  }
}

// Whenever the memory runs out, pushes fail with 310, nothing else asks for memory, and
// searches keep giving the calls the scan gives.
TEST_F(TimelineTest, AgreesWithTheScanWhenMemoryRunsOut) {
  // A key for every report.
  TestConsole keys(std::string(100000, '\n'));
  base::ErrorReporter reporting(keys);
  std::mt19937 rng(77);
  for (int round = 0; round < 200; ++round) {
    FailingMemory memory;
    CallList failing(&memory);
    memory.allow(round % 40);
    agreeWithTheScan(failing, rng, reporting, round, &memory);
  }
  EXPECT_NE(keys.output().find("err:310"), std::string::npos);
}

// A long call read first keeps every later slot until it ends; finding the head must not
// pass those removed calls again at every read.
TEST_F(TimelineTest, HeadIsFoundQuicklyBehindManyRemovedCalls) {
  push(0, 2000000000);
  startPass(0);
  const std::clock_t began = std::clock();
  for (std::int32_t t = 1; t <= 200000; ++t) {
    ASSERT_NE(list.newest(), nullptr);
    push(t, 0);
    startPass(t);
    endPass(t);
  }
  // Passing them again at each read would take minutes.
  EXPECT_LT(static_cast<double>(std::clock() - began) / CLOCKS_PER_SEC, 8.0);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list.newest()->start(), 0);
}

TEST_F(TimelineTest, EarliestTicksAreThoseOfTheCallsAhead) {
  push(9, 4);
  push(6, 5);
  push(8, -1);
  std::int32_t tick = 0;
  ASSERT_TRUE(list.earliestWaitingStart(tick));
  EXPECT_EQ(tick, 6);
  // Only the call that ends before it starts can end before starting.
  ASSERT_TRUE(list.earliestEnd(tick));
  EXPECT_EQ(tick, 7);
  EXPECT_EQ(startPass(6).size(), 1u);
  ASSERT_TRUE(list.earliestWaitingStart(tick));
  EXPECT_EQ(tick, 8);
  EXPECT_EQ(endPass(7), (std::vector<std::int32_t>{8}));
  ASSERT_TRUE(list.earliestEnd(tick));
  EXPECT_EQ(tick, 11);
  // The call that ended unstarted no longer counts as waiting.
  ASSERT_TRUE(list.earliestWaitingStart(tick));
  EXPECT_EQ(tick, 9);
  startPass(9);
  EXPECT_FALSE(list.earliestWaitingStart(tick));
}

// A push that cannot have its memory, for the call or for indexing the list, reports 310
// and leaves the list as it was, whatever its length; once memory is back, the list goes on.
TEST(TimelineOutOfMemory, PushLeavesTheListAsItWas) {
  int refused = 0;
  for (std::int32_t length = 0; length < 40; ++length) {
    SCOPED_TRACE(length);
    TestConsole keys(std::string(10, '\n'));
    base::ErrorReporter reporter(keys);
    FailingMemory memory;
    CallList list(&memory);
    for (std::int32_t i = 0; i < length; ++i)
      ASSERT_NE(pushCall(list, 10 + i, 4, reporter), nullptr);
    const Call* newest = list.newest();
    memory.allow(0);
    if (pushCall(list, 3, 4, reporter) != nullptr) continue;
    ++refused;
    EXPECT_NE(keys.output().find("err:310"), std::string::npos);
    EXPECT_EQ(list.size(), static_cast<std::size_t>(length));
    EXPECT_EQ(list.newest(), newest);
    std::int32_t tick = 0;
    EXPECT_EQ(list.earliestWaitingStart(tick), length > 0);
    if (length > 0) {
      EXPECT_EQ(tick, 10);
    }
    EXPECT_EQ(list.earliestEnd(tick), false);
    memory.allow(1000);
    Call* call = pushCall(list, 3, 4, reporter);
    ASSERT_NE(call, nullptr);
    CallCursor cursor;
    ASSERT_TRUE(findNextCall(list, cursor, 3, CallSearch::kStarting));
    EXPECT_EQ(cursor.call, call);
  }
  // Among them the push that first indexes the list.
  EXPECT_GE(refused, 3);
}

}  // namespace
}  // namespace calls
