#include "run/path_hops.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace run {
namespace {

// Paths of 0 to 4 hops, each hop telling its path and place; `reserved` paths are made
// room for first, the others grow the arrays.
void addAll(PathHopsIndex& index, std::deque<routing::Path>& paths, std::size_t reserved) {
  index.reserve(reserved, 2 * reserved);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::vector<std::int32_t> live;
    std::vector<std::int32_t> inView;
    for (std::size_t k = 0; k < i % 5; ++k) {
      live.push_back(static_cast<std::int32_t>(i));
      inView.push_back(static_cast<std::int32_t>(k));
    }
    ASSERT_TRUE(index.add(&paths[i], live, inView));
  }
}

TEST(PathHopsIndex, FindsEveryPathsHopsThroughGrowth) {
  for (const std::size_t reserved : {0, 10, 1000}) {
    std::deque<routing::Path> paths(1000);
    PathHopsIndex index;
    EXPECT_FALSE(index.find(&paths[0]));
    addAll(index, paths, reserved);
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::optional<PathHops> found = index.find(&paths[i]);
      ASSERT_TRUE(found);
      ASSERT_EQ(found->live.size(), i % 5);
      ASSERT_EQ(found->inView.size(), i % 5);
      for (std::size_t k = 0; k < i % 5; ++k) {
        EXPECT_EQ(found->live[k], static_cast<std::int32_t>(i));
        EXPECT_EQ(found->inView[k], static_cast<std::int32_t>(k));
      }
    }
    // Adding again keeps the hops already there.
    const std::int32_t other[1] = {-1};
    EXPECT_FALSE(index.add(&paths[7], other, other));
    EXPECT_EQ(index.find(&paths[7])->live.size(), 2u);
    routing::Path unknown;
    EXPECT_FALSE(index.find(&unknown));
  }
}

TEST(PathHopsIndex, ViewPositionsAreTheLiveOnesWhenViewsAreLive) {
  std::deque<routing::Path> paths(50);
  PathHopsIndex index(true);
  addAll(index, paths, 0);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const PathHops found = *index.find(&paths[i]);
    ASSERT_EQ(found.inView.size(), found.live.size());
    for (std::size_t k = 0; k < found.live.size(); ++k) {
      EXPECT_EQ(found.inView[k], static_cast<std::int32_t>(i));
    }
  }
}

}  // namespace
}  // namespace run
