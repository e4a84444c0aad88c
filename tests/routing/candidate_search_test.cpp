// The candidate path search: the stated passes, the abort key, the limits, and a
// cross-check against a direct, slow rendering of the passes.
#include "routing/candidate_search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "support/matrix_network.h"
#include "support/reference_search.h"
#include "support/test_console.h"

namespace routing {
namespace {

using testing_support::appendNode;
using testing_support::commonLinks;
using testing_support::copyItemPath;
using testing_support::linkExists;
using testing_support::Network;
using testing_support::overlapsAny;
using testing_support::TestConsole;

std::vector<Path> pathsOf(const PathSet& set) {
  std::vector<Path> paths;
  for (const PathSetItem& item : set) paths.push_back(item.path);
  return paths;
}

struct SearchRun {
  std::vector<Path> paths;
  SearchOutcome outcome;
  std::string output;
};

// Abort key "waiting" from the poll after pass `keyAfterPass` on (0: never), with the
// keys read taken from `keys`, one per line.
SearchRun search(const Network& net, NodeId origin, NodeId destination,
                 std::int32_t maxCoincidences, std::int32_t pathCount, int keyAfterPass = 0,
                 const std::string& keys = "s\n", const SearchLimits& limits = {}) {
  TestConsole console(keys);
  console.keyWaitingFromPoll(keyAfterPass);
  base::ErrorReporter reporter(console);
  PathSet result;
  SearchRun run;
  run.outcome = searchCandidatePaths(result, net.table, net.nodes, origin, destination,
                                     maxCoincidences, pathCount, &console, reporter, limits);
  run.paths = pathsOf(result);
  run.output = console.output();
  return run;
}

class CandidateSearch : public ::testing::Test {
 protected:
  Network make(int nodeCount, const std::vector<std::pair<int, int>>& links) {
    return testing_support::networkOf(nodeCount, links, reporter_);
  }
  Network ring() {
    return make(4, {{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 3}, {3, 2}, {3, 0}, {0, 3}});
  }
  Network oneWayTriangle() { return make(3, {{0, 1}, {1, 2}, {2, 0}}); }
  // Links both ways 0-1 and 1-2; node 3 has none.
  Network isolatedThree() { return make(4, {{0, 1}, {1, 0}, {1, 2}, {2, 1}}); }

  TestConsole console_;
  base::ErrorReporter reporter_{console_};
};

TEST_F(CandidateSearch, RingWorkedExampleNodeForNode) {
  SearchRun run = search(ring(), 0, 2, 2, 4);
  EXPECT_EQ(run.paths, (std::vector<Path>{{0, 3, 2}, {0, 3, 2}, {0, 1, 2}, {0, 3, 2}, {0, 1, 2}}));
  EXPECT_EQ(run.outcome.passes, 4);
  EXPECT_EQ(run.outcome.end, SearchEnd::kPathCount);
  EXPECT_EQ(run.outcome.accepted, 5);
  EXPECT_EQ(run.output, "");
}

TEST_F(CandidateSearch, RingWorkedExamplePassByPass) {
  const std::vector<std::vector<Path>> afterPass = {
      {},
      {{0, 3, 2}},
      {{0, 3, 2}, {0, 3, 2}, {0, 1, 2}},
  };
  for (int pass = 1; pass <= 3; ++pass) {
    SearchRun run = search(ring(), 0, 2, 2, 4, pass);
    EXPECT_EQ(run.paths, afterPass[pass - 1]) << "after pass " << pass;
    EXPECT_EQ(run.outcome.passes, pass);
    EXPECT_EQ(run.outcome.end, SearchEnd::kAbortKey);
  }
}

TEST_F(CandidateSearch, RingOtherDestinations) {
  SearchRun toOne = search(ring(), 0, 1, 2, 4);
  EXPECT_EQ(toOne.paths, (std::vector<Path>{{0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 3, 2, 1}}));
  EXPECT_EQ(toOne.outcome.passes, 4);

  SearchRun home = search(ring(), 0, 0, 2, 4);
  EXPECT_EQ(home.paths, (std::vector<Path>{{0}, {0}, {0, 3, 2, 1, 0}, {0, 1, 2, 3, 0}}));
  EXPECT_EQ(home.outcome.passes, 7);
  // Pass 6 accepts the first round trip, pass 7 the second.
  EXPECT_EQ(search(ring(), 0, 0, 2, 4, 6).paths.size(), 3U);
}

TEST_F(CandidateSearch, RunsUntilTheAbortKeyWhenPathCountIsOutOfReach) {
  // Ring, no shared link allowed: [0,1] in pass 1, [0,3,2,1] in pass 4, nothing later.
  EXPECT_EQ(search(ring(), 0, 1, 0, 4, 3).paths, (std::vector<Path>{{0, 1}}));
  SearchRun ring40 = search(ring(), 0, 1, 0, 4, 40);
  EXPECT_EQ(ring40.paths, (std::vector<Path>{{0, 1}, {0, 3, 2, 1}}));
  EXPECT_EQ(ring40.outcome.passes, 40);
  EXPECT_EQ(ring40.outcome.end, SearchEnd::kAbortKey);

  // One-way triangle: [0,1,2] in passes 2, 3 and 4; later walks overlap it too much.
  EXPECT_EQ(search(oneWayTriangle(), 0, 2, 2, 4, 3).paths.size(), 2U);
  SearchRun triangle = search(oneWayTriangle(), 0, 2, 2, 4, 30);
  EXPECT_EQ(triangle.paths, (std::vector<Path>{{0, 1, 2}, {0, 1, 2}, {0, 1, 2}}));
  EXPECT_EQ(triangle.outcome.passes, 30);
}

TEST_F(CandidateSearch, KeysOtherThanLowerCaseSAreReadAndDropped) {
  SearchRun run = search(oneWayTriangle(), 0, 2, 2, 4, 2, "x\nS\ns\nq\n");
  EXPECT_EQ(run.outcome.passes, 4);
  EXPECT_EQ(run.outcome.end, SearchEnd::kAbortKey);
  EXPECT_EQ(run.paths.size(), 3U);
  EXPECT_FALSE(run.outcome.stoppedAtLimit());
}

TEST_F(CandidateSearch, EndsWhenTheWorkingListRunsOut) {
  SearchRun reachable = search(isolatedThree(), 0, 2, 2, 4);
  EXPECT_EQ(reachable.paths, (std::vector<Path>{{0, 1, 2}, {0, 1, 2}}));
  EXPECT_EQ(reachable.outcome.passes, 3);
  EXPECT_EQ(reachable.outcome.end, SearchEnd::kExhausted);

  SearchRun isolated = search(isolatedThree(), 0, 3, 2, 4);
  EXPECT_TRUE(isolated.paths.empty());
  EXPECT_EQ(isolated.outcome.passes, 3);

  SearchRun noLinks = search(isolatedThree(), 3, 2, 2, 4);
  EXPECT_TRUE(noLinks.paths.empty());
  EXPECT_EQ(noLinks.outcome.passes, 1);
  SearchRun noLinksHome = search(isolatedThree(), 3, 3, 2, 4);
  EXPECT_EQ(noLinksHome.paths, (std::vector<Path>{{3}}));
  EXPECT_EQ(noLinksHome.outcome.passes, 1);
}

TEST_F(CandidateSearch, NegativeCoincidencesAcceptOnlyTheFirstPath) {
  SearchRun run = search(ring(), 0, 2, -1, 4, 25);
  EXPECT_EQ(run.paths, (std::vector<Path>{{0, 3, 2}}));
  // Even a one-node path shares 0 links, more than -1.
  SearchRun home = search(ring(), 0, 0, -1, 4, 25);
  EXPECT_EQ(home.paths, (std::vector<Path>{{0}}));
}

TEST_F(CandidateSearch, PathCountZeroEndsAfterTheFirstPass) {
  SearchRun direct = search(ring(), 0, 1, 2, 0);
  EXPECT_EQ(direct.paths, (std::vector<Path>{{0, 1}}));
  EXPECT_EQ(direct.outcome.passes, 1);
  EXPECT_TRUE(search(ring(), 0, 2, 2, 0).paths.empty());
  EXPECT_EQ(search(ring(), 0, 0, 2, -3).paths, (std::vector<Path>{{0}}));
}

TEST_F(CandidateSearch, TheLimitEndsASearchAsTheAbortKeyWould) {
  SearchLimits limits;
  limits.maxPasses = 50;
  SearchRun limited = search(oneWayTriangle(), 0, 2, 2, 4, 0, "", limits);
  SearchRun aborted = search(oneWayTriangle(), 0, 2, 2, 4, 50);
  EXPECT_EQ(limited.outcome.end, SearchEnd::kLimit);
  EXPECT_EQ(limited.outcome.passes, 50);
  EXPECT_EQ(limited.paths, aborted.paths);
  EXPECT_EQ(limited.output, "");

  TestConsole console;
  printSearchLimitNotice(limited.outcome, console);
  EXPECT_EQ(console.takeOutput(), "\nBusqueda detenida en su limite...");
  printSearchLimitNotice(aborted.outcome, console);
  EXPECT_EQ(console.takeOutput(), "");

  // A complete graph, no shared link allowed: the working list is what stops it.
  std::vector<std::pair<int, int>> links;
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 6; ++b) {
      if (a != b) links.emplace_back(a, b);
    }
  }
  limits = SearchLimits{};
  limits.maxWorkingList = 1000;
  SearchRun wide = search(make(6, links), 0, 5, 0, 100, 0, "", limits);
  EXPECT_TRUE(wide.outcome.stoppedAtLimit());
  EXPECT_GE(wide.outcome.peakWorkingList, 1000);
  EXPECT_LT(wide.outcome.peakWorkingList, 1000 + 6);
}

TEST_F(CandidateSearch, DefaultLimitsEndEndlessSearchesInTime) {
#ifndef NDEBUG
  GTEST_SKIP() << "timing means something only in an optimised build";
#endif
  std::vector<std::pair<int, int>> complete;
  for (int a = 0; a < 12; ++a) {
    for (int b = 0; b < 12; ++b) {
      if (a != b) complete.emplace_back(a, b);
    }
  }
  struct Case {
    Network net;
    std::int32_t maxCoincidences;
    std::int32_t pathCount;
  };
  Case cases[] = {
      {oneWayTriangle(), 0, 4},            // walks grow long
      {make(12, complete), -1, 4},         // the working list grows fast
      {ring(), 1'000'000, 2'000'000'000},  // everything is accepted, again and again
  };
  for (Case& c : cases) {
    // Processor time, so that a loaded machine does not fail the test.
    const std::clock_t started = std::clock();
    SearchRun run = search(c.net, 0, 1, c.maxCoincidences, c.pathCount);
    const double took = static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
    EXPECT_TRUE(run.outcome.stoppedAtLimit())
        << static_cast<int>(run.outcome.end) << " after " << run.outcome.passes << " passes";
    EXPECT_LT(took, 2.0);
    EXPECT_FALSE(run.paths.empty());
  }
}

// The overlap count and test the reference passes are written with.
TEST(CommonLinks, CountsEveryOccurrenceInItsDirection) {
  EXPECT_EQ(commonLinks({0, 1, 2}, {0, 1, 2}), 2);
  EXPECT_EQ(commonLinks({0, 1, 2}, {2, 1, 0}), 0);
  EXPECT_EQ(commonLinks({0, 1, 0, 1}, {0, 1}), 2);
  EXPECT_EQ(commonLinks({0, 1}, {0, 1, 0, 1}), 2);
  EXPECT_EQ(commonLinks({5}, {5, 6}), 0);
}

TEST(OverlapsAny, ComparesWithASignedLimit) {
  const PathSet set{PathSetItem{-1, {0, 1, 2}}};
  EXPECT_FALSE(overlapsAny(set, {0, 1, 2}, 2));
  EXPECT_TRUE(overlapsAny(set, {0, 1, 2}, 1));
  EXPECT_FALSE(overlapsAny(PathSet{}, {0, 1}, -1));
  EXPECT_TRUE(overlapsAny(PathSet{PathSetItem{-1, {7}}}, {0, 1}, -1));
}

// The passes as plainly as they can be written: every walk a full copy, the node list
// scanned for every extension, the whole working list scanned every pass. Ends after
// `maxPasses` passes as the abort key would.
SearchRun referenceSearch(const Network& net, PathSet result, NodeId origin, NodeId destination,
                          std::int32_t maxCoincidences, std::int32_t pathCount, int maxPasses) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  PathSet working;
  appendNode(*appendPathItem(working, reporter), origin, reporter);
  std::size_t current = 0;  // the head is always item 0
  int accepted = 0;
  SearchRun run;
  for (bool end = false; !end;) {
    ++run.outcome.passes;
    const Path walk = working[current].path;
    const NodeId previous = walk.size() > 1 ? walk[walk.size() - 2] : network::kNoNode;
    for (NodeId next : net.nodes) {
      if (!linkExists(net.table, walk.back(), next) || next == previous) continue;
      appendNode(*copyItemPath(working, working[current], reporter), next, reporter);
    }
    PathScan scan = freshScan(working);
    for (nextPathBetween(&scan, origin, destination, reporter); scan.found >= 0;
         nextPathBetween(&scan, origin, destination, reporter)) {
      const Path& found = working[static_cast<std::size_t>(scan.found)].path;
      if (overlapsAny(result, found, maxCoincidences)) continue;
      copyPath(result, found, reporter);
      ++accepted;
    }
    if (++current >= working.size()) {
      end = true;
    } else {
      // Drops all but the last item walked, keeping the order.
      PathSet kept;
      for (std::size_t i = current - 1; i < working.size(); ++i) kept.push_back(working[i]);
      working = std::move(kept);
      current = 1;
    }
    end = end || accepted >= pathCount || run.outcome.passes >= maxPasses;
  }
  run.paths = pathsOf(result);
  return run;
}

void expectSameAsReference(const Network& net, int nodeCount, int maxPasses,
                           const std::string& name) {
  const std::pair<int, int> settings[] = {{4, 2}, {8, 1}, {3, 0}, {2, -1}, {0, 2}, {6, 4}};
  for (NodeId origin = 0; origin < nodeCount; ++origin) {
    for (NodeId destination = 0; destination < nodeCount; ++destination) {
      for (const auto& [pathCount, maxCoincidences] : settings) {
        SearchRun fast = search(net, origin, destination, maxCoincidences, pathCount, maxPasses);
        SearchRun slow =
            referenceSearch(net, {}, origin, destination, maxCoincidences, pathCount, maxPasses);
        ASSERT_EQ(fast.paths, slow.paths)
            << name << " " << origin << "->" << destination << " pathCount " << pathCount
            << " maxCoincidences " << maxCoincidences;
        ASSERT_EQ(fast.outcome.passes, slow.outcome.passes) << name;
      }
    }
  }
}

TEST_F(CandidateSearch, MatchesTheDirectPassesOnReferenceNetworks) {
  expectSameAsReference(ring(), 4, 60, "ring");
  expectSameAsReference(oneWayTriangle(), 3, 60, "triangle");
  expectSameAsReference(isolatedThree(), 4, 60, "isolated");
  expectSameAsReference(
      testing_support::networkFromMatrix(testing_support::nsfnetRows(), reporter_), 14, 150,
      "NSFNET");
  expectSameAsReference(
      testing_support::networkFromMatrix(testing_support::cost239Rows(), reporter_), 11, 150,
      "COST239");
}

TEST_F(CandidateSearch, MatchesTheDirectPassesOnRandomNetworks) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const int nodes = 2 + static_cast<int>(seed % 6);
    Network net = testing_support::randomNetwork(nodes, nodes + static_cast<int>(seed % 4), 0.3,
                                                 seed, reporter_);
    // Self-loops, a node missing from the node list (a row without entries), a node
    // listed twice.
    if (seed % 3 == 0) network::createLink(net.table, 0, 0, reporter_);
    if (seed % 5 == 0) network::createLink(net.table, 1, nodes, reporter_);
    if (seed % 7 == 0) network::pushNode(net.nodes, 1, reporter_);
    expectSameAsReference(net, nodes + 1, 80, "random seed " + std::to_string(seed));
  }
}

TEST_F(CandidateSearch, PathsAlreadyInTheResultTakePartButAreNotCounted) {
  const PathSet given{PathSetItem{-1, {0, 1, 2}}, PathSetItem{-1, {3, 0}}};
  for (std::int32_t maxCoincidences : {0, 1, 2}) {
    PathSet result = given;
    TestConsole console("s\n");
    console.keyWaitingFromPoll(39);
    base::ErrorReporter reporter(console);
    Network net = ring();
    searchCandidatePaths(result, net.table, net.nodes, 0, 2, maxCoincidences, 4, &console,
                         reporter);
    SearchRun slow = referenceSearch(net, given, 0, 2, maxCoincidences, 4, 39);
    EXPECT_EQ(pathsOf(result), slow.paths) << maxCoincidences;
  }
}

}  // namespace
}  // namespace routing
