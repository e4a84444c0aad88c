#include "run/line_backlog.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>
#include <vector>

namespace run {
namespace {

// Lines from a list, readable again from any point, as generated traffic is.
class ListedLines final : public calls::CallLines {
 public:
  explicit ListedLines(std::shared_ptr<const std::vector<calls::CallLine>> lines)
      : lines_(std::move(lines)) {}
  bool next(calls::CallLine& line) override {
    if (at_ >= lines_->size()) return false;
    line = (*lines_)[at_++];
    return true;
  }
  std::unique_ptr<calls::CallLines> copy() const override {
    auto again = std::make_unique<ListedLines>(lines_);
    again->at_ = at_;
    return again;
  }
  bool follow(const calls::CallLines& leader) override {
    at_ = dynamic_cast<const ListedLines&>(leader).at_;
    return true;
  }

 private:
  std::shared_ptr<const std::vector<calls::CallLine>> lines_;
  std::size_t at_ = 0;
};

struct Held {
  std::int32_t start;
  std::int32_t duration;
  bool operator==(const Held&) const = default;
};

// Holding and taking at random, with rooms from none to more than is ever held, against a
// plain queue of every line held: the lines come back in order with their fields, whether
// kept or read again, and however often the backlog empties and fills again.
TEST(LineBacklog, GivesBackTheLinesHeldInOrderWhateverItsRoom) {
  std::mt19937 random(3);
  auto lines = std::make_shared<std::vector<calls::CallLine>>();
  for (int k = 0; k < 5000; ++k) {
    lines->push_back(
        {static_cast<std::int32_t>(random() % 4), static_cast<std::int32_t>(random() % 9)});
  }
  for (std::size_t room : {0, 1, 2, 5, 16, 17, 40, 10000}) {
    SCOPED_TRACE(room);
    ListedLines reader(lines);
    LineBacklog backlog(reader, reader.copy(), room);
    std::deque<Held> model;
    // Gaps count from the newest line held, as the run counts them while any is.
    std::int32_t newest = 10;
    // Phases of holding mostly, then of taking mostly, so that the backlog both grows past
    // its room and empties.
    for (int k = 0; k < 4000; ++k) {
      const bool holding = (k / 200) % 2 == 0 ? random() % 5 != 0 : random() % 5 == 0;
      if (holding) {
        calls::CallLine line;
        if (!reader.next(line)) break;
        const std::int32_t start = newest + line.first;
        ASSERT_TRUE(backlog.canHold(start, line.second, 0));
        backlog.hold(start, line.second);
        newest = start;
        model.push_back({start, line.second});
      } else if (!model.empty()) {
        ASSERT_FALSE(backlog.empty());
        EXPECT_EQ(backlog.oldestStart(), model.front().start);
        EXPECT_EQ(backlog.newestStart(), model.back().start);
        Held taken{0, 0};
        backlog.take(taken.start, taken.duration);
        ASSERT_EQ(taken, model.front()) << k;
        model.pop_front();
      }
      EXPECT_EQ(backlog.empty(), model.empty());
    }
  }
}

// Lines that cannot be read again are all kept, however many.
TEST(LineBacklog, KeepsAllLinesReadOnce) {
  LineBacklog backlog = LineBacklog::keepingAll();
  EXPECT_FALSE(backlog.readsAgain());
  for (std::int32_t k = 1; k <= 3000; ++k) {
    ASSERT_TRUE(backlog.canHold(k, k % 7, 0));
    ASSERT_TRUE(backlog.hold(k, k % 7));
  }
  for (std::int32_t k = 1; k <= 3000; ++k) {
    Held taken{0, 0};
    backlog.take(taken.start, taken.duration);
    ASSERT_EQ(taken, (Held{k, k % 7}));
  }
  EXPECT_TRUE(backlog.empty());
}

TEST(LineBacklog, HoldsOnlyLinesThatStartLaterInOrderWithoutWrapping) {
  auto lines = std::make_shared<std::vector<calls::CallLine>>();
  ListedLines reader(lines);
  EXPECT_FALSE(LineBacklog().canHold(5, 1, 0)) << "lines that cannot be read again";
  LineBacklog backlog(reader, reader.copy(), 4);
  EXPECT_FALSE(backlog.canHold(3, 1, 3)) << "starts now";
  EXPECT_FALSE(backlog.canHold(3, -1, 0));
  EXPECT_FALSE(backlog.canHold(LineBacklog::kLatestHeldClock + 1, 0, 0));
  EXPECT_FALSE(backlog.canHold(LineBacklog::kLatestHeldClock, 2147483647, 0));
  EXPECT_FALSE(backlog.canHold(3, 1, -1));
  ASSERT_TRUE(backlog.canHold(8, 1, 0));
  backlog.hold(8, 1);
  EXPECT_FALSE(backlog.canHold(7, 1, 0)) << "before the newest held";
  EXPECT_TRUE(backlog.canHold(8, 0, 0));
}

}  // namespace
}  // namespace run
