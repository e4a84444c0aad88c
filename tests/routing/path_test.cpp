// Tests of paths and path sets: copying, scanning for the paths of a pair, printing.
#include "routing/path.h"

#include <gtest/gtest.h>

#include "support/test_console.h"

namespace routing {
namespace {

using testing_support::TestConsole;

PathSet setOf(std::initializer_list<Path> paths) {
  PathSet set;
  for (const Path& path : paths) set.push_back(PathSetItem{-1, path});
  return set;
}

TEST(CopyPath, MakesADeepCopyAndSkipsEmptyPaths) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  PathSet set;
  EXPECT_EQ(copyPath(set, {}, reporter), nullptr);
  EXPECT_TRUE(set.empty());
  Path source{4, 7};
  PathSetItem* item = copyPath(set, source, reporter);
  ASSERT_NE(item, nullptr);
  source.assign({9, 9, 9});
  EXPECT_EQ(item->path, (Path{4, 7}));
  EXPECT_EQ(item->roundRobinIndex, -1);
}

TEST(NextPathBetween, FindsMatchingEndsThenIsExhausted) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  PathSet set = setOf({{0, 3, 2}, {0, 1}, {0, 1, 2}, {1, 2}});
  PathScan scan = freshScan(set);
  nextPathBetween(&scan, 0, 2, reporter);
  EXPECT_EQ(scan.found, 0);
  nextPathBetween(&scan, 0, 2, reporter);
  EXPECT_EQ(scan.found, 2);
  nextPathBetween(&scan, 0, 2, reporter);
  EXPECT_EQ(scan.found, -1);
  EXPECT_EQ(scan.start, -1);
  EXPECT_EQ(scan.resume, -1);
  nextPathBetween(&scan, 0, 2, reporter);
  EXPECT_EQ(scan.found, -1);
  EXPECT_EQ(console.output(), "");
}

TEST(NextPathBetween, OneNodePathMatchesEqualEndsAndNoScanIsCode200) {
  TestConsole console("k\n");
  base::ErrorReporter reporter(console);
  PathSet set = setOf({{5}});
  PathScan scan = freshScan(set);
  nextPathBetween(&scan, 5, 5, reporter);
  EXPECT_EQ(scan.found, 0);
  EXPECT_EQ(nextPathBetween(nullptr, 5, 5, reporter), nullptr);
  EXPECT_EQ(console.output(), "\n***ERROR***\nerr:200 pulsar tecla");
}

TEST(PrintPath, UsesTheConsoleFormats) {
  TestConsole console;
  printPathSet(setOf({{0, 3, 2}, {0, 1, 2}}), console);
  EXPECT_EQ(console.takeOutput(), "\t0  3  2  \n\t0  1  2  \n\t");
  printPathSet(PathSet{}, console);
  EXPECT_EQ(console.takeOutput(), "\t");
  printPath({3, 10}, console);
  EXPECT_EQ(console.takeOutput(), "3 10 ");
}

}  // namespace
}  // namespace routing
