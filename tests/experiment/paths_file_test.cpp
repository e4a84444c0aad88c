// Paths files: what is refused and where, what is kept, and runs on given paths against runs
// on the search that found them.
#include "experiment/paths_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "experiment/experiment.h"
#include "experiment/traffic_model.h"
#include "support/matrix_network.h"

namespace experiment {
namespace {

// Five nodes on a ring, both directions, and one link 0->3 without its way back.
PlannedRoutes ringNetwork() {
  PlannedRoutes network;
  network.nodeCount = 5;
  for (std::int32_t node = 0; node < 5; ++node) {
    network.links.push_back({node, (node + 1) % 5, 0, node});
    network.links.push_back({(node + 1) % 5, node, 0, node});
  }
  network.links.push_back({0, 3, 0, 5});
  return network;
}

TEST(PathsFile, RefusesEachFaultAtItsLine) {
  struct Case {
    std::string text;
    std::size_t line;
    std::string why;
  };
  const std::vector<Case> cases = {
      {"0 2 0 1 2\n# comment\n\n0 x 0 1\n", 4, "'x' is not a node number"},
      {"0 2 0 1 2 # note\n", 1, "'#' is not a node number"},
      {"0 2 0 1.5 2\n", 1, "'1.5' is not a node number"},
      {"0 2 0 \x01\xff 2\n", 1,
       "'?"
       "?' is not a node number"},
      {"\n\n0 2 0\n", 3, "(at least 2), not 3 numbers"},
      {"0 2\n", 1, "not 2 numbers"},
      {"0 5 0 4 5\n", 1, "node 5 is outside nodes 0 to 4"},
      {"0 1 -1 0 1\n", 1, "node -1 is outside nodes 0 to 4"},
      {"0 1 0 99999999999999999999999 1\n", 1, "node 99999999999999999999999 is outside"},
      {"3 3 3 4 3\n", 1, "two different nodes, not 3 twice"},
      {"0 2 1 2\n", 1, "the path starts at 1, not at its origin 0"},
      {"0 2 0 1\n", 1, "the path ends at 1, not at its destination 2"},
      {"0 2 0 1 2\n0 2 0 2\n", 2, "0-2 is not a link of the network"},
      // Links count in their direction.
      {"0 3 0 3\n3 0 3 0\n", 2, "3-0 is not a link of the network"},
      {"1 1\r\n", 1, "not 2 numbers"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readPathsFile(c.text, ringNetwork());
      ADD_FAILURE() << "accepted";
    } catch (const PathsFileError& error) {
      EXPECT_EQ(error.line, c.line);
      const std::string what = error.what();
      EXPECT_TRUE(what.starts_with("line " + std::to_string(c.line) + ": ")) << what;
      EXPECT_NE(what.find(c.why), std::string::npos) << what;
    }
  }
  for (const std::string empty : {"", "\n \t\n", "# only a comment\n"}) {
    try {
      readPathsFile(empty, ringNetwork());
      ADD_FAILURE() << "accepted '" << empty << "'";
    } catch (const PathsFileError& error) {
      EXPECT_EQ(error.line, 0U);
      EXPECT_NE(std::string(error.what()).find("holds no path"), std::string::npos);
    }
  }
}

TEST(PathsFile, KeepsEachPairsLinesInOrderWithRepeatsAndWalks) {
  const std::string text =
      "  # indented comment\r\n"
      "0 2\t0 4 3 2\r\n"
      "2 0 2 1 0\n"
      "0 2 0 1 2\n"
      "\t0   2 0 4 3 2   \n"
      // A walk through its origin again, as the console's search may give one.
      "0 1 0 4 3 2 1 0 1\n"
      "0 3 0 3";
  const session::GivenPaths paths = readPathsFile(text, ringNetwork());
  const session::GivenPaths expected = {
      {{0, 1}, {{0, 4, 3, 2, 1, 0, 1}}},
      {{0, 2}, {{0, 4, 3, 2}, {0, 1, 2}, {0, 4, 3, 2}}},
      {{0, 3}, {{0, 3}}},
      {{2, 0}, {{2, 1, 0}}},
  };
  EXPECT_EQ(paths, expected);
}

TEST(PathsFile, WrittenTextReadsBackAsTheSamePaths) {
  const session::GivenPaths paths = {
      {{0, 2}, {{0, 1, 2}, {0, 4, 3, 2}, {0, 1, 2}}},
      {{1, 4}, {}},
      {{4, 0}, {{4, 0}}},
  };
  // A header line may hold a line break (a file name's): it must stay a comment.
  const std::string text = pathsFileText({"network: odd\nname.con", "routing: console"}, paths);
  EXPECT_TRUE(text.starts_with("# network: odd name.con\n# routing: console\n")) << text;
  EXPECT_NE(text.find("# 1 4: no path\n"), std::string::npos) << text;
  EXPECT_NE(text.find("0 2\t0 4 3 2\n"), std::string::npos) << text;
  session::GivenPaths withPaths = paths;
  withPaths.erase({1, 4});
  EXPECT_EQ(readPathsFile(text, ringNetwork()), withPaths);
}

// NSFNET with one regenerator on every link, so that every cause of blocking can happen.
const std::string kNsfnet = testing_support::nsfnetConText(1);

// The paths a plan's routing gives its listed sources, as a paths file would give them.
session::GivenPaths pathsOfPlan(const ExperimentPlan& plan) {
  const PlannedRoutes routes = planRoutes(plan);
  session::GivenPaths paths;
  for (std::size_t i = 0; i < plan.sources.size(); ++i) {
    auto& list = paths[{plan.sources[i].origin, plan.sources[i].destination}];
    if (list.empty()) list = routes.sources[i].paths;
  }
  return paths;
}

TEST(GivenPaths, RunAsTheSearchThatFoundThem) {
  const std::vector<std::pair<int, int>> pairs = {{0, 12}, {13, 1}, {2, 8}, {5, 10}, {0, 12}};
  for (session::Routing kind : {session::Routing::kConsole, session::Routing::kKShortest}) {
    for (int policy = 1; policy <= 4; ++policy) {
      SCOPED_TRACE(routingName(kind) + ", policy " + std::to_string(policy));
      ExperimentPlan plan;
      plan.topology = kNsfnet;
      plan.config.lambdaCount = 3;
      plan.config.fiberCount = 1;
      plan.config.pathCount = 3;
      plan.config.maxCoincidences = 3;
      plan.config.pathPolicy = policy;
      plan.routing.kind = kind;
      for (std::size_t i = 0; i < pairs.size(); ++i) {
        plan.sources.push_back(
            {pairs[i].first, pairs[i].second,
             callFileText(generateCalls({1.5, HoldingKind::kExponential, 12.0, 150, 40 + i}))});
      }
      std::ostringstream searched;
      const ExperimentResult built = runExperiment(plan, &searched);

      ExperimentPlan given = plan;
      given.routing.kind = session::Routing::kGiven;
      given.routing.paths =
          std::make_shared<const routing::PathCatalogue>(pathCatalogue(pathsOfPlan(plan)));
      std::ostringstream copied;
      const ExperimentResult fromFile = runExperiment(given, &copied);
      // The trace prints each source's paths as well as every call.
      EXPECT_TRUE(searched.str() == copied.str()) << "the traces differ";
      EXPECT_EQ(fromFile.blocked, built.blocked);
      EXPECT_GT(built.blocked, 0) << "the load is meant to block calls";
    }
  }
}

}  // namespace
}  // namespace experiment
