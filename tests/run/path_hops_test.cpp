#include "run/path_hops.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace run {
namespace {

TEST(PathHopsIndex, FindsEveryPathsHopsThroughGrowth) {
  std::deque<routing::Path> paths(1000);
  PathHopsIndex index;
  EXPECT_FALSE(index.find(&paths[0]));
  for (std::size_t i = 0; i < paths.size(); ++i) {
    // Paths of 0 to 4 hops, each hop telling its path and place.
    std::vector<HopLinks> hops;
    for (std::size_t k = 0; k < i % 5; ++k) {
      hops.push_back({static_cast<std::int32_t>(i), static_cast<std::int32_t>(k)});
    }
    ASSERT_TRUE(index.add(&paths[i], hops));
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::optional<PathHops> found = index.find(&paths[i]);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->links.size(), i % 5);
    ASSERT_EQ(found->inView.size(), i % 5);
    for (std::size_t k = 0; k < i % 5; ++k) {
      EXPECT_EQ(found->links[k].live, static_cast<std::int32_t>(i));
      EXPECT_EQ(found->links[k].view, static_cast<std::int32_t>(k));
      EXPECT_EQ(found->inView[k], static_cast<std::int32_t>(k));
    }
  }
  // Adding again keeps the hops already there.
  const HopLinks other[1] = {{-1, -1}};
  EXPECT_FALSE(index.add(&paths[7], other));
  EXPECT_EQ(index.find(&paths[7])->links.size(), 2u);
  routing::Path unknown;
  EXPECT_FALSE(index.find(&unknown));
}

}  // namespace
}  // namespace run
