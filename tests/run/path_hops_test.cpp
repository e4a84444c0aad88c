#include "run/path_hops.h"

#include <gtest/gtest.h>

#include <deque>

namespace run {
namespace {

TEST(PathHopsIndex, FindsEveryPathAddedThroughGrowth) {
  std::deque<routing::Path> paths(1000);
  PathHopsIndex index;
  EXPECT_EQ(index.find(&paths[0]), nullptr);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    auto [entry, added] = index.add(&paths[i]);
    ASSERT_TRUE(added);
    entry.inView.push_back(static_cast<std::ptrdiff_t>(i));
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const PathHops* found = index.find(&paths[i]);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->inView, (std::vector<std::ptrdiff_t>{static_cast<std::ptrdiff_t>(i)}));
  }
  // Adding again gives the entry already there.
  auto [again, added] = index.add(&paths[7]);
  EXPECT_FALSE(added);
  EXPECT_EQ(again.inView.front(), 7);
  routing::Path other;
  EXPECT_EQ(index.find(&other), nullptr);
}

}  // namespace
}  // namespace run
