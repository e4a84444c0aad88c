// The catalogue of shared paths: pairs found in any order of adding, a path given twice
// kept twice, parts joined whole.
#include "routing/path_catalogue.h"

#include <gtest/gtest.h>

namespace routing {
namespace {

std::vector<Path> pathsOf(const PathCatalogue& catalogue, NodeId origin, NodeId destination) {
  std::vector<Path> paths;
  const PathCatalogue::Pair* pair = catalogue.find(origin, destination);
  if (pair == nullptr) return paths;
  for (std::size_t i = 0; i < pair->count; ++i) {
    const std::span<const NodeId> nodes = catalogue.path(pair->first + i);
    paths.emplace_back(nodes.begin(), nodes.end());
  }
  return paths;
}

TEST(PathCatalogue, FindsEachPairWhateverTheOrderOfAdding) {
  PathCatalogue catalogue;
  catalogue.add(2, 0, std::vector<Path>{{2, 1, 0}, {2, 0}}, false);
  PathSet set{PathSetItem{-1, {0, 1, 2}}, PathSetItem{-1, {0, 2}}, PathSetItem{-1, {0, 1, 2}}};
  catalogue.add(0, 2, set, true);
  catalogue.add(1, 0, std::vector<Path>{}, false);
  catalogue.add(0, 1, std::vector<Path>{{0, 1}}, false);

  EXPECT_EQ(pathsOf(catalogue, 0, 2), (std::vector<Path>{{0, 1, 2}, {0, 2}, {0, 1, 2}}));
  EXPECT_TRUE(catalogue.find(0, 2)->limited);
  EXPECT_EQ(pathsOf(catalogue, 2, 0), (std::vector<Path>{{2, 1, 0}, {2, 0}}));
  EXPECT_FALSE(catalogue.find(2, 0)->limited);
  ASSERT_NE(catalogue.find(1, 0), nullptr) << "a pair without paths is still listed";
  EXPECT_EQ(catalogue.find(1, 0)->count, 0U);
  EXPECT_EQ(pathsOf(catalogue, 0, 1), (std::vector<Path>{{0, 1}}));
  EXPECT_EQ(catalogue.find(1, 2), nullptr);
  EXPECT_EQ(catalogue.find(2, 1), nullptr);
  EXPECT_EQ(catalogue.pathCount(), 6U);
}

TEST(PathCatalogue, JoinsPartsWhole) {
  std::vector<PathCatalogue> parts(3);
  parts[0].add(3, 1, std::vector<Path>{{3, 2, 1}}, true);
  parts[0].add(0, 1, std::vector<Path>{{0, 1}, {0, 2, 1}}, false);
  parts[2].add(1, 3, std::vector<Path>{{1, 3}}, false);
  const PathCatalogue whole = PathCatalogue::joined(std::move(parts));
  EXPECT_EQ(whole.pairs().size(), 3U);
  EXPECT_EQ(pathsOf(whole, 3, 1), (std::vector<Path>{{3, 2, 1}}));
  EXPECT_TRUE(whole.find(3, 1)->limited);
  EXPECT_EQ(pathsOf(whole, 0, 1), (std::vector<Path>{{0, 1}, {0, 2, 1}}));
  EXPECT_EQ(pathsOf(whole, 1, 3), (std::vector<Path>{{1, 3}}));
  EXPECT_EQ(whole.find(1, 0), nullptr);
  EXPECT_EQ(PathCatalogue::joined({}).find(0, 1), nullptr);
}

}  // namespace
}  // namespace routing
