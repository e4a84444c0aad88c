// Two threads taking turns: each sees all the other wrote before passing, and neither runs
// while the other holds the turn.
#include "experiment/turns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace experiment {
namespace {

TEST(Turns, EachSideRunsAloneAndSeesTheOthersWrites) {
  constexpr int kRounds = 20000;
  Turns turns;
  // Plain data: only the side holding the turn touches it.
  std::uint64_t shared = 0;
  std::atomic<int> running{0};
  bool overlapped = false;
  std::thread worker([&] {
    for (int i = 0; i < kRounds; ++i) {
      turns.await(Turns::Side::kWorker);
      overlapped = overlapped || running.fetch_add(1) != 0;
      shared = shared * 3 + 1;
      running.fetch_sub(1);
      turns.pass(Turns::Side::kCaller);
    }
  });
  std::uint64_t expected = 0;
  for (int i = 0; i < kRounds; ++i) {
    turns.await(Turns::Side::kCaller);
    overlapped = overlapped || running.fetch_add(1) != 0;
    expected = expected * 3 + 1;
    EXPECT_EQ(shared, expected);
    running.fetch_sub(1);
    turns.pass(Turns::Side::kWorker);
  }
  worker.join();
  EXPECT_FALSE(overlapped);
}

}  // namespace
}  // namespace experiment
