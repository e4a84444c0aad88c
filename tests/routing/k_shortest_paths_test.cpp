// The k-shortest routing: hop order and its ties, the shared-link limit, pairs with few or
// no paths, its limits, and a cross-check against every simple path listed by brute force.
#include "routing/k_shortest_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/matrix_network.h"
#include "support/reference_search.h"
#include "support/test_console.h"

namespace routing {
namespace {

using testing_support::Network;

class KShortest : public ::testing::Test {
 protected:
  Network make(int nodeCount, const std::vector<std::pair<int, int>>& links) {
    return testing_support::networkOf(nodeCount, links, reporter_);
  }
  // Each pair a link both ways.
  Network undirected(int nodeCount, const std::vector<std::pair<int, int>>& pairs) {
    std::vector<std::pair<int, int>> links;
    for (const auto& [a, b] : pairs) {
      links.emplace_back(a, b);
      links.emplace_back(b, a);
    }
    return make(nodeCount, links);
  }

  testing_support::TestConsole console_;
  base::ErrorReporter reporter_{console_};
};

struct Found {
  std::vector<Path> paths;
  KShortestOutcome outcome;
};

Found kShortest(const Network& net, NodeId origin, NodeId destination, int maxShared, int count,
                const KShortestLimits& limits = {}) {
  Found found;
  found.outcome =
      kShortestPaths(found.paths, net.table, origin, destination, maxShared, count, limits);
  return found;
}

TEST_F(KShortest, EqualHopCountsComeInNodeSequenceOrder) {
  // Links to 2 are made before links to 1, so table order would put 0-2-3 first.
  Network square = undirected(4, {{0, 2}, {2, 3}, {0, 1}, {1, 3}});
  Found found = kShortest(square, 0, 3, 2, 4);
  EXPECT_EQ(found.paths, (std::vector<Path>{{0, 1, 3}, {0, 2, 3}}));
  EXPECT_EQ(found.outcome.end, SearchEnd::kExhausted);

  // Fewer hops win over a smaller sequence: 0-5 before 0-1-5.
  Network shortcut = undirected(6, {{0, 1}, {1, 5}, {0, 5}});
  EXPECT_EQ(kShortest(shortcut, 0, 5, 2, 4).paths, (std::vector<Path>{{0, 5}, {0, 1, 5}}));
}

TEST_F(KShortest, KeepsOnlyPathsWithinTheSharedLinkLimit) {
  // 0-1-2-3 is shortest; 0-1-2-4-3 shares two links with it, 0-5-6-7-3 none.
  Network net =
      undirected(8, {{0, 1}, {1, 2}, {2, 3}, {2, 4}, {4, 3}, {0, 5}, {5, 6}, {6, 7}, {7, 3}});
  EXPECT_EQ(kShortest(net, 0, 3, 2, 2).paths, (std::vector<Path>{{0, 1, 2, 3}, {0, 1, 2, 4, 3}}));
  EXPECT_EQ(kShortest(net, 0, 3, 1, 2).paths, (std::vector<Path>{{0, 1, 2, 3}, {0, 5, 6, 7, 3}}));
  Found disjoint = kShortest(net, 0, 3, 0, 4);
  EXPECT_EQ(disjoint.paths, (std::vector<Path>{{0, 1, 2, 3}, {0, 5, 6, 7, 3}}));
  EXPECT_EQ(disjoint.outcome.end, SearchEnd::kExhausted);
  // The network has three simple paths from 0 to 3, all judged.
  EXPECT_EQ(disjoint.outcome.examined, 3);
}

TEST_F(KShortest, PairsWithFewOrNoPaths) {
  Network ring = undirected(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
  Found two = kShortest(ring, 0, 2, 2, 4);
  EXPECT_EQ(two.paths, (std::vector<Path>{{0, 1, 2}, {0, 3, 2}}));
  EXPECT_EQ(two.outcome.end, SearchEnd::kExhausted);

  Network apart = undirected(4, {{0, 1}, {2, 3}});
  Found none = kShortest(apart, 0, 3, 2, 4);
  EXPECT_TRUE(none.paths.empty());
  EXPECT_EQ(none.outcome.end, SearchEnd::kExhausted);
  EXPECT_EQ(none.outcome.examined, 0);
  // A node that no link names.
  EXPECT_TRUE(kShortest(apart, 0, 9, 2, 4).paths.empty());

  EXPECT_EQ(kShortest(ring, 1, 1, 2, 4).paths, (std::vector<Path>{{1}}));
  Found zero = kShortest(ring, 0, 2, 2, 0);
  EXPECT_TRUE(zero.paths.empty());
  EXPECT_EQ(zero.outcome.end, SearchEnd::kPathCount);
}

TEST_F(KShortest, FollowsLinksInTheirOwnDirection) {
  Network triangle = make(3, {{0, 1}, {1, 2}, {2, 0}});
  EXPECT_EQ(kShortest(triangle, 0, 2, 2, 4).paths, (std::vector<Path>{{0, 1, 2}}));
  EXPECT_EQ(kShortest(triangle, 2, 1, 2, 4).paths, (std::vector<Path>{{2, 0, 1}}));
  // Parallel links and self-loops add no path.
  Network doubled = make(3, {{0, 1}, {0, 1}, {1, 1}, {1, 2}});
  EXPECT_EQ(kShortest(doubled, 0, 2, 2, 4).paths, (std::vector<Path>{{0, 1, 2}}));
}

TEST_F(KShortest, EndsAtItsLimits) {
  // A 6 x 6 grid has far more simple paths corner to corner than the limits let through;
  // the first 126 shortest ones all leave 0 towards 1, so only one of them is kept.
  std::vector<std::pair<int, int>> pairs;
  for (int r = 0; r < 6; ++r) {
    for (int c = 0; c < 6; ++c) {
      if (c + 1 < 6) pairs.emplace_back(r * 6 + c, r * 6 + c + 1);
      if (r + 1 < 6) pairs.emplace_back(r * 6 + c, (r + 1) * 6 + c);
    }
  }
  Network grid = undirected(36, pairs);
  Found capped = kShortest(grid, 0, 35, 0, 100, KShortestLimits{50, 30'000'000});
  EXPECT_EQ(capped.outcome.end, SearchEnd::kLimit);
  EXPECT_EQ(capped.outcome.examined, 50);
  EXPECT_EQ(capped.paths.size(), 1U);

  Found stepped = kShortest(grid, 0, 35, 0, 100, KShortestLimits{1'000'000, 20'000});
  EXPECT_EQ(stepped.outcome.end, SearchEnd::kLimit);
  EXPECT_LT(stepped.outcome.examined, 1'000);
}

// Every simple path from origin to destination, by depth-first search.
std::vector<Path> allSimplePaths(const Network& net, int nodeCount, NodeId origin,
                                 NodeId destination) {
  std::vector<Path> paths;
  Path path{origin};
  std::vector<bool> on(static_cast<std::size_t>(nodeCount), false);
  on[static_cast<std::size_t>(origin)] = true;
  std::function<void()> extend = [&] {
    if (path.back() == destination) {
      paths.push_back(path);
      return;
    }
    for (NodeId next = 0; next < nodeCount; ++next) {
      if (on[static_cast<std::size_t>(next)] ||
          !testing_support::linkExists(net.table, path.back(), next)) {
        continue;
      }
      on[static_cast<std::size_t>(next)] = true;
      path.push_back(next);
      extend();
      path.pop_back();
      on[static_cast<std::size_t>(next)] = false;
    }
  };
  extend();
  std::sort(paths.begin(), paths.end(), [](const Path& a, const Path& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return paths;
}

TEST_F(KShortest, MatchesEveryPathListedByBruteForce) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const int nodes = 5 + static_cast<int>(seed % 4);
    Network net = testing_support::randomNetwork(nodes, nodes + static_cast<int>(seed % 5), 0.3,
                                                 seed, reporter_);
    for (NodeId origin = 0; origin < nodes; ++origin) {
      for (NodeId destination = 0; destination < nodes; ++destination) {
        if (origin == destination) continue;
        const std::vector<Path> all = allSimplePaths(net, nodes, origin, destination);
        EXPECT_EQ(kShortest(net, origin, destination, 1'000, 1'000).paths, all)
            << "seed " << seed << ", " << origin << " to " << destination;
        for (int maxShared : {0, 1}) {
          std::vector<Path> kept;
          for (const Path& path : all) {
            if (kept.size() < 3 && std::all_of(kept.begin(), kept.end(), [&](const Path& other) {
                  return testing_support::commonLinks(path, other) <= maxShared;
                })) {
              kept.push_back(path);
            }
          }
          EXPECT_EQ(kShortest(net, origin, destination, maxShared, 3).paths, kept)
              << "seed " << seed << ", " << origin << " to " << destination << ", at most "
              << maxShared << " shared";
        }
      }
    }
  }
}

// Its time is measured by bench/k_shortest_bench.cpp; here, that what it gives on a large
// network where many searches meet a limit is still sound.
TEST_F(KShortest, KeepsOnlySoundPathsOnALargeSparseNetwork) {
  Network net = testing_support::randomNetwork(754, 900, 0.0, 7, reporter_);
  for (NodeId origin = 0; origin < 5; ++origin) {
    const NodeId destination = 753 - origin;
    Found found = kShortest(net, origin, destination, 2, 4);
    EXPECT_LE(found.outcome.examined, KShortestLimits{}.maxExamined);
    for (std::size_t i = 0; i < found.paths.size(); ++i) {
      const Path& path = found.paths[i];
      EXPECT_EQ(path.front(), origin);
      EXPECT_EQ(path.back(), destination);
      Path sorted = path;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a node twice";
      for (std::size_t h = 1; h < path.size(); ++h) {
        EXPECT_TRUE(testing_support::linkExists(net.table, path[h - 1], path[h]));
      }
      for (std::size_t k = 0; k < i; ++k) {
        EXPECT_LE(testing_support::commonLinks(path, found.paths[k]), 2);
        EXPECT_LE(found.paths[k].size(), path.size());
      }
    }
  }
}

}  // namespace
}  // namespace routing
