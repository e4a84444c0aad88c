// The k-shortest routing: hop order and its ties, the shared-link limit, pairs with few or
// no paths, its limits, and a cross-check against every simple path listed by brute force.
#include "routing/k_shortest_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

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

// The search against every simple path of every ordered pair, with and without the
// shared-link limit, and how it ends.
void expectMatchesBruteForce(const Network& net, int nodes, const std::string& label) {
  for (NodeId origin = 0; origin < nodes; ++origin) {
    for (NodeId destination = 0; destination < nodes; ++destination) {
      if (origin == destination) continue;
      const std::vector<Path> all = allSimplePaths(net, nodes, origin, destination);
      EXPECT_EQ(kShortest(net, origin, destination, 1'000, 100'000).paths, all)
          << label << ", " << origin << " to " << destination;
      for (int maxShared : {0, 1, 2}) {
        for (std::size_t count : {3U, 4U}) {
          std::vector<Path> kept;
          for (const Path& path : all) {
            if (kept.size() < count &&
                std::all_of(kept.begin(), kept.end(), [&](const Path& other) {
                  return testing_support::commonLinks(path, other) <= maxShared;
                })) {
              kept.push_back(path);
            }
          }
          const Found found =
              kShortest(net, origin, destination, maxShared, static_cast<int>(count));
          EXPECT_EQ(found.paths, kept) << label << ", " << origin << " to " << destination
                                       << ", at most " << maxShared << " shared";
          EXPECT_EQ(found.outcome.end,
                    kept.size() == count ? SearchEnd::kPathCount : SearchEnd::kExhausted);
        }
      }
    }
  }
}

TEST_F(KShortest, MatchesEveryPathListedByBruteForce) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    const int nodes = 5 + static_cast<int>(seed % 6);
    Network net = testing_support::randomNetwork(nodes, nodes + static_cast<int>(seed % 9), 0.3,
                                                 seed, reporter_);
    expectMatchesBruteForce(net, nodes, "seed " + std::to_string(seed));
  }
}

// Small meshes strung together the way sparse networks of the field are: some joined by a
// link that is their only way between (a bridge), some sharing one node (a cut node), links
// drawn out into chains of nodes of two links, a piece apart, a few links one way only.
Network treeLikeNetwork(unsigned seed, int& nodeCount, base::ErrorReporter& reporter) {
  std::mt19937 random(seed);
  auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  std::vector<std::pair<int, int>> pairs;
  int nodes = 0;
  std::vector<int> attachable;
  const int blocks = 2 + below(3);
  for (int b = 0; b < blocks; ++b) {
    const int size = 2 + below(3);
    const int first = nodes;
    nodes += size;
    for (int i = 1; i < size; ++i) pairs.emplace_back(first + i - 1, first + i);
    if (size > 2) pairs.emplace_back(first + size - 1, first);
    if (size > 3 && below(2) == 0) pairs.emplace_back(first, first + 2);
    if (!attachable.empty()) {
      const int there =
          attachable[static_cast<std::size_t>(below(static_cast<int>(attachable.size())))];
      if (below(2) == 0) {
        pairs.emplace_back(there, first);
      } else {
        // The new block's first node becomes `there`.
        for (auto& [a, c] : pairs) {
          if (a == first) a = there;
          if (c == first) c = there;
        }
      }
    }
    for (int i = 0; i < size; ++i) attachable.push_back(first + i);
  }
  // Some links drawn out into chains.
  std::vector<std::pair<int, int>> drawn;
  for (const auto& [a, c] : pairs) {
    int from = a;
    for (int extra = below(4) == 0 ? 1 + below(2) : 0; extra > 0; --extra) {
      drawn.emplace_back(from, nodes);
      from = nodes++;
    }
    drawn.emplace_back(from, c);
  }
  // A piece apart.
  drawn.emplace_back(nodes, nodes + 1);
  nodes += 2;
  std::vector<std::pair<int, int>> links;
  for (const auto& [a, c] : drawn) {
    if (a == c) continue;
    links.emplace_back(a, c);
    if (below(8) != 0) links.emplace_back(c, a);
  }
  nodeCount = nodes;
  return testing_support::networkOf(nodes, links, reporter);
}

TEST_F(KShortest, MatchesBruteForceOnBridgesCutNodesAndChains) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    int nodes = 0;
    const Network net = treeLikeNetwork(seed, nodes, reporter_);
    expectMatchesBruteForce(net, nodes, "tree-like seed " + std::to_string(seed));
  }
}

// Links both ways between the neighbours of a rows x columns grid, node r x columns + c.
std::vector<std::pair<int, int>> gridPairs(int rows, int columns) {
  std::vector<std::pair<int, int>> pairs;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (c + 1 < columns) pairs.emplace_back(r * columns + c, r * columns + c + 1);
      if (r + 1 < rows) pairs.emplace_back(r * columns + c, (r + 1) * columns + c);
    }
  }
  return pairs;
}

TEST_F(KShortest, AtItsLimitKeepsTheFirstPathsOfTheWholeList) {
  Network grid = undirected(16, gridPairs(4, 4));
  const Found whole = kShortest(grid, 0, 15, 1'000, 1'000);
  EXPECT_EQ(whole.outcome.end, SearchEnd::kExhausted);
  EXPECT_EQ(whole.paths, allSimplePaths(grid, 16, 0, 15));
  for (std::int64_t steps : {1, 300, 3'000}) {
    const Found capped = kShortest(grid, 0, 15, 1'000, 1'000, KShortestLimits{steps});
    EXPECT_EQ(capped.outcome.end, SearchEnd::kLimit) << steps << " steps";
    EXPECT_GE(capped.outcome.steps, steps);
    EXPECT_LT(capped.paths.size(), whole.paths.size());
    EXPECT_TRUE(std::equal(capped.paths.begin(), capped.paths.end(), whole.paths.begin()))
        << steps << " steps";
  }
}

TEST_F(KShortest, EndsWhenNoOtherPathCouldBeKept) {
  // A corner of a grid has two links, so two paths share none; the grid's million other
  // simple paths corner to corner need not be listed to know that none is a third.
  Network grid = undirected(36, gridPairs(6, 6));
  const Found disjoint = kShortest(grid, 0, 35, 0, 100);
  EXPECT_EQ(disjoint.paths.size(), 2U);
  EXPECT_EQ(disjoint.outcome.end, SearchEnd::kExhausted);
  EXPECT_LT(disjoint.outcome.steps, 10'000);

  // A destination at the end of a chain of three links: every path shares the chain.
  std::vector<std::pair<int, int>> pairs = gridPairs(6, 6);
  pairs.insert(pairs.end(), {{35, 36}, {36, 37}, {37, 38}});
  Network chained = undirected(39, pairs);
  const Found alone = kShortest(chained, 0, 38, 2, 4);
  EXPECT_EQ(alone.paths.size(), 1U);
  EXPECT_EQ(alone.outcome.end, SearchEnd::kExhausted);
  EXPECT_LT(alone.outcome.steps, 10'000);
  const Found two = kShortest(chained, 0, 38, 3, 4);
  EXPECT_EQ(two.paths.size(), 2U);
  for (const Path& path : two.paths) {
    EXPECT_GE(testing_support::commonLinks(path, two.paths[0]), 3);
  }
}

TEST_F(KShortest, OneSearchServesManyPairsAsFreshOnes) {
  Network net = testing_support::randomNetwork(30, 60, 0.2, 11, reporter_);
  KShortestSearch search(net.table);
  std::vector<std::pair<NodeId, NodeId>> pairs;
  for (NodeId origin = 0; origin < 30; ++origin) {
    for (NodeId destination = 0; destination < 30; ++destination) {
      pairs.emplace_back(origin, destination);
    }
  }
  std::shuffle(pairs.begin(), pairs.end(), std::mt19937(3));
  for (const auto& [origin, destination] : pairs) {
    std::vector<Path> reused;
    const KShortestOutcome outcome = search.find(reused, origin, destination, 2, 4);
    const Found fresh = kShortest(net, origin, destination, 2, 4);
    EXPECT_EQ(reused, fresh.paths) << origin << " to " << destination;
    EXPECT_EQ(outcome.end, fresh.outcome.end);
    EXPECT_EQ(outcome.steps, fresh.outcome.steps);
  }
}

// Each path from origin to destination over links of the network, no node twice, none
// longer than one after it, none sharing more than `maxShared` links with one before it.
void expectSound(const Network& net, const std::vector<Path>& paths, NodeId origin,
                 NodeId destination, int maxShared) {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const Path& path = paths[i];
    EXPECT_EQ(path.front(), origin);
    EXPECT_EQ(path.back(), destination);
    Path sorted = path;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a node twice";
    for (std::size_t h = 1; h < path.size(); ++h) {
      EXPECT_TRUE(testing_support::linkExists(net.table, path[h - 1], path[h]));
    }
    for (std::size_t k = 0; k < i; ++k) {
      EXPECT_LE(testing_support::commonLinks(path, paths[k]), maxShared);
      EXPECT_LE(paths[k].size(), path.size());
    }
  }
}

TEST_F(KShortest, FinishesOnAMeshOfLongChains) {
  // A ring of 30 nodes with ten chords, its links drawn out into chains of up to three more
  // nodes: what most of the field's large networks look like. Walking every path up to the
  // length of the next one to keep stopped a tenth of the pairs at the limit.
  std::vector<std::pair<int, int>> base;
  for (int i = 0; i < 30; ++i) base.emplace_back(i, (i + 1) % 30);
  for (int j = 0; j < 10; ++j) base.emplace_back(3 * j, (3 * j + 11) % 30);
  std::vector<std::pair<int, int>> pairs;
  int nodes = 30;
  for (std::size_t e = 0; e < base.size(); ++e) {
    int from = base[e].first;
    for (std::size_t extra = e * 5 % 4; extra > 0; --extra) {
      pairs.emplace_back(from, nodes);
      from = nodes++;
    }
    pairs.emplace_back(from, base[e].second);
  }
  ASSERT_EQ(nodes, 90);
  Network mesh = undirected(nodes, pairs);
  KShortestSearch search(mesh.table);
  std::vector<Path> kept;
  for (NodeId destination = 0; destination < nodes; ++destination) {
    for (NodeId origin = destination % 7; origin < nodes; origin += 7) {
      if (origin == destination) continue;
      const KShortestOutcome outcome = search.find(kept, origin, destination, 2, 4);
      EXPECT_FALSE(outcome.stoppedAtLimit()) << origin << " to " << destination;
      expectSound(mesh, kept, origin, destination, 2);
    }
  }
}

// Its time is measured by bench/k_shortest_bench.cpp; here, that what it gives on a large
// network where many searches meet a limit is still sound.
TEST_F(KShortest, KeepsOnlySoundPathsOnALargeSparseNetwork) {
  Network net = testing_support::randomNetwork(754, 900, 0.0, 7, reporter_);
  for (NodeId origin = 0; origin < 5; ++origin) {
    const NodeId destination = 753 - origin;
    expectSound(net, kShortest(net, origin, destination, 2, 4).paths, origin, destination, 2);
  }
}

}  // namespace
}  // namespace routing
