// The random_path example against the built-in random policy it rewrites: the same draws
// must give the same candidates, whatever the pair's count and the paths asked for.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "calls/path_selection.h"
#include "hand_built_view.h"
#include "plugin_entry.h"

namespace policy_tests {
namespace {

constexpr wrnsim::Call kCall{0, 1, 0, 0, 0};

wrnsim::Settings asking(std::int32_t paths) {
  wrnsim::Settings settings;
  settings.wavelengths = 4;
  settings.fibres = 1;
  settings.paths = paths;
  return settings;
}

struct Pair {
  explicit Pair(int count) {
    for (int i = 0; i < count; ++i) {
      builder.path({0, 10 + i, 1});
      set.push_back({-1, {0, 10 + i, 1}});
    }
  }
  ViewBuilder builder;
  routing::PathSet set;
};

std::int32_t positionIn(const routing::PathSet& set, const routing::Path* path) {
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (&set[i].path == path) return static_cast<std::int32_t>(i);
  }
  return wrnsim::kNoPath;
}

TEST(RandomPath, FewerCandidatesThanAskedForDrawsAmongThoseThereAre) {
  Pair pair(3);
  const wrnsim::PairView view = pair.builder.view();
  auto policy = examplePathPolicy("random_path", asking(4));
  wrnsim::Random random;
  wrnsim::Random expected;
  for (int call = 0; call < 50; ++call)
    EXPECT_EQ(policy->choosePath({kCall, view, random}), expected.draw() % 3);
}

TEST(RandomPath, MoreCandidatesThanAskedForDrawsAmongTheFirstAskedFor) {
  Pair pair(5);
  const wrnsim::PairView view = pair.builder.view();
  auto policy = examplePathPolicy("random_path", asking(2));
  wrnsim::Random random;
  wrnsim::Random expected;
  for (int call = 0; call < 50; ++call)
    EXPECT_EQ(policy->choosePath({kCall, view, random}), expected.draw() % 2);
}

TEST(RandomPath, NoCandidateAnswersNoPathWithoutDrawing) {
  Pair pair(0);
  const wrnsim::PairView view = pair.builder.view();
  auto policy = examplePathPolicy("random_path", asking(4));
  wrnsim::Random random;
  EXPECT_EQ(policy->choosePath({kCall, view, random}), wrnsim::kNoPath);
  EXPECT_EQ(random.draw(), wrnsim::Random().draw());
}

TEST(RandomPath, ChoosesAsTheBuiltInPolicyForEveryCountAndPathsAskedFor) {
  for (int count = 0; count <= 6; ++count) {
    for (std::int32_t paths = -1; paths <= 7; ++paths) {
      Pair pair(count);
      const wrnsim::PairView view = pair.builder.view();
      auto policy = examplePathPolicy("random_path", asking(paths));
      wrnsim::Random random;
      calls::RandomGenerator builtInRandom;
      for (int call = 0; call < 200; ++call) {
        const std::int32_t chosen = policy->choosePath({kCall, view, random});
        const std::int32_t builtIn =
            positionIn(pair.set, calls::randomPath(pair.set, paths, builtInRandom));
        ASSERT_EQ(chosen, builtIn)
            << count << " candidates, " << paths << " asked for, call " << call;
      }
      // In step afterwards too: no draw more or less.
      EXPECT_EQ(random.draw(), builtInRandom.draw());
    }
  }
}

}  // namespace
}  // namespace policy_tests
