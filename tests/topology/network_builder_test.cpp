#include "topology/network_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace topology {
namespace {

Graph graphOf(std::vector<std::string> ids, std::vector<GraphEdge> edges, bool directed = false) {
  Graph graph;
  for (std::string& id : ids) {
    GraphNode node;
    node.id = id;
    node.name = "N" + id;
    graph.nodes.push_back(node);
  }
  graph.edges = std::move(edges);
  graph.directed = directed;
  return graph;
}

std::string matrixOf(const ConsoleNetwork& network) {
  return network.conText.substr(network.conText.find('\n') + 1);
}

bool notes(const ConsoleNetwork& network, std::string_view part) {
  return std::any_of(network.notes.begin(), network.notes.end(),
                     [&](const std::string& note) { return note.find(part) != note.npos; });
}

TEST(NetworkBuilderTest, WritesEachLinkBothWaysNumberingNodesInFileOrder) {
  // Ids that are neither 0..n-1 nor numbers; node "c" has no link and keeps its row.
  const Graph graph =
      graphOf({"x", "7", "c", "a"}, {{"x", "7", 2, 3}, {"a", "7", std::nullopt, 4}});
  const ConsoleNetwork network = buildConsoleNetwork(graph, {"net;work*.gml", std::nullopt});
  EXPECT_EQ(matrixOf(network),
            "*tabla: ;\n"
            "*- 2 - -;\n"
            "*2 - - 0;\n"
            "*- - - -;\n"
            "*- 0 - -;\n");
  const std::string first = network.conText.substr(0, network.conText.find('\n'));
  EXPECT_EQ(first.find_first_of("*;"), std::string::npos);
  EXPECT_NE(first.find("net_work_.gml"), std::string::npos);
  EXPECT_NE(first.find("file's order"), std::string::npos);
  EXPECT_EQ(network.linkCount, 2u);
  ASSERT_EQ(network.nodes.size(), 4u);
  EXPECT_EQ(network.nodes[3].name, "Na");
  EXPECT_TRUE(notes(network, "without links (they neither send nor carry calls): 2 (Nc)"));
  EXPECT_TRUE(notes(network, "1 link has no regenerator count"));
}

TEST(NetworkBuilderTest, MergesParallelEdgesAndDropsSelfLoopsSayingSo) {
  const Graph graph = graphOf({"0", "1", "2"}, {{"0", "1", 1, 2},
                                                {"1", "0", 5, 3},
                                                {"0", "1", std::nullopt, 4},
                                                {"2", "2", std::nullopt, 5},
                                                {"1", "2", std::nullopt, 6}});
  const ConsoleNetwork network = buildConsoleNetwork(graph, {"g.gml", std::nullopt});
  EXPECT_EQ(matrixOf(network), "*tabla: ;\n*- 1 -;\n*1 - 0;\n*- 0 -;\n");
  EXPECT_TRUE(notes(network, "2 parallel edges merged"));
  EXPECT_TRUE(notes(network, "1 self-loop dropped"));
  EXPECT_TRUE(notes(network, "1 edge gives a regenerator count other than"));
}

// The console shares one link's fibres between its two directions: a directed pair a->b,
// b->a is one link, and a one-way edge still makes a link both ways.
TEST(NetworkBuilderTest, PairsTheDirectionsOfADirectedGraph) {
  const Graph graph =
      graphOf({"0", "1", "2"}, {{"0", "1", 0, 2}, {"1", "0", 0, 3}, {"1", "2", 0, 4}}, true);
  const ConsoleNetwork network = buildConsoleNetwork(graph, {"d.gml", 7});
  EXPECT_EQ(matrixOf(network), "*tabla: ;\n*- 7 -;\n*7 - 7;\n*- 7 -;\n");
  EXPECT_FALSE(notes(network, "parallel"));
  EXPECT_TRUE(notes(network, "1 link was given both ways, 1 one way only"));
  EXPECT_TRUE(notes(network, "every link has 7 regenerators (the file's own counts"));
}

TEST(NetworkBuilderTest, NotesPlacesHyperedgesAndRepeatedNames) {
  Graph graph = graphOf({"0", "1", "2"}, {{"0", "1", std::nullopt, 1}});
  graph.nodes[0].longitude = 16.5;
  graph.nodes[0].latitude = 47.8;
  graph.nodes[1].longitude = 200.0;
  graph.nodes[1].latitude = 10.0;
  graph.nodes[2].hyperedge = true;
  graph.nodes[2].name = "N0";
  const ConsoleNetwork network = buildConsoleNetwork(graph, {"p.gml", std::nullopt});
  EXPECT_EQ(network.nodes[0].longitude, 16.5);
  EXPECT_FALSE(network.nodes[1].longitude);
  EXPECT_TRUE(notes(network, "2 nodes have no coordinates"));
  EXPECT_TRUE(notes(network, "1 node's coordinates are outside"));
  EXPECT_TRUE(notes(network, "(hyperedge): 2 (N0)"));
  EXPECT_TRUE(notes(network, "more than one node (told apart by number): 0 (N0), 2 (N0)"));
  EXPECT_TRUE(notes(network, "no regenerator counts: every link has 0"));
}

TEST(NetworkBuilderTest, RefusesWhatTheConsoleCannotHold) {
  const auto lineOfFault = [](const Graph& graph, std::optional<std::int64_t> all) {
    try {
      buildConsoleNetwork(graph, {"f", all});
    } catch (const FormatError& error) {
      return error.line;
    }
    return -1;
  };
  EXPECT_EQ(lineOfFault(graphOf({}, {}), std::nullopt), 0);
  EXPECT_EQ(lineOfFault(graphOf({"0"}, {}), std::nullopt), 0);
  EXPECT_EQ(lineOfFault(graphOf({"0", "1"}, {{"0", "1", -1, 9}}), std::nullopt), 9);
  EXPECT_EQ(lineOfFault(graphOf({"0", "1"}, {{"0", "1", 1LL << 31, 9}}), std::nullopt), 9);
  EXPECT_EQ(lineOfFault(graphOf({"0", "1"}, {{"0", "5", 1, 4}}), std::nullopt), 4);
  EXPECT_EQ(lineOfFault(graphOf({"0", "1"}, {}), -3), 0);
  EXPECT_EQ(lineOfFault(graphOf({"0", "1"}, {}), std::nullopt), -1);
}

}  // namespace
}  // namespace topology
