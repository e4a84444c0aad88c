#include "base/pinned_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace base {
namespace {

TEST(PinnedList, ItemsKeepTheirAddressesWhileTheListGrowsAndMoves) {
  PinnedList<std::string> list;
  std::vector<const std::string*> addresses;
  for (int i = 0; i < 300; ++i) {
    addresses.push_back(&list.emplace_back(std::to_string(i)));
    ASSERT_EQ(list.size(), static_cast<std::size_t>(i + 1));
  }
  PinnedList<std::string> moved(std::move(list));
  EXPECT_TRUE(list.empty());
  PinnedList<std::string> assigned;
  assigned.emplace_back("dropped");
  assigned = std::move(moved);
  int i = 0;
  for (const std::string& item : assigned) {
    EXPECT_EQ(&item, addresses[static_cast<std::size_t>(i)]);
    EXPECT_EQ(item, std::to_string(i));
    ++i;
  }
  EXPECT_EQ(i, 300);
  EXPECT_EQ(&assigned.front(), addresses.front());
  EXPECT_EQ(&assigned.back(), addresses.back());
  EXPECT_EQ(&assigned[150], addresses[150]);
}

// Counts the items alive, and refuses to be made when told to.
struct Counted {
  static inline int alive = 0;
  explicit Counted(bool fail = false) {
    if (fail) throw std::runtime_error("refused");
    ++alive;
  }
  Counted(const Counted&) = delete;
  ~Counted() { --alive; }
};

TEST(PinnedList, EveryItemIsDestroyedOnceAndAFailedAdditionLeavesTheListAsItWas) {
  {
    PinnedList<Counted> list;
    for (int i = 0; i < 13; ++i) list.emplace_back();
    EXPECT_EQ(Counted::alive, 13);
    list.pop_back();
    EXPECT_EQ(Counted::alive, 12);
    // Item 12 starts a block that is already there; item 28 would need a new one.
    EXPECT_THROW(list.emplace_back(true), std::runtime_error);
    EXPECT_EQ(list.size(), 12u);
    list.emplace_back();
    list.clear();
    EXPECT_EQ(Counted::alive, 0);
    EXPECT_TRUE(list.empty());
    for (int i = 0; i < 5; ++i) list.emplace_back();
  }
  EXPECT_EQ(Counted::alive, 0);
}

}  // namespace
}  // namespace base
