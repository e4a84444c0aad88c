#include "topology/gml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "fault_line.h"

namespace topology {
namespace {

int lineOfFault(std::string_view text) {
  return faultLine(readGml, text);
}

TEST(GmlReaderTest, ReadsWhatTopologyZooFilesHold) {
  const Graph graph = readGml(
      "# written by hand\n"
      "graph [\n"
      "  Network \"Example\"\n"
      "  Source \"http://example.org/?&amp;L=1\"\n"
      "  multigraph 1\n"
      "  node [\n"
      "    id 0\n"
      "    label \"Saint-&#201;tienne &amp; Lyon\"\n"
      "    Longitude 4.39\n"
      "    Latitude +45.43\n"
      "    graphics [ x 1.5 y -2e3 ]\n"
      "  ]\n"
      "  node [ id 1 label \"Wiener Neustadt 'Ost'\" hyperedge 1 ]\n"
      "  node [ id 2 label \"None\" Internal 0 ]\n"
      "  edge [ source 0 target 1 LinkLabel \"10 Gb/s\" ]\n"
      "  edge [ source 1 target 2 regenerators 3 ]\n"
      "  edge [ source 1.0 target 0 ]\n"
      "]\n");
  EXPECT_FALSE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(graph.nodes[0].id, "0");
  EXPECT_EQ(graph.nodes[0].name, "Saint-\u00c9tienne & Lyon");
  EXPECT_EQ(graph.nodes[0].longitude, 4.39);
  EXPECT_EQ(graph.nodes[0].latitude, 45.43);
  EXPECT_EQ(graph.nodes[0].line, 6);
  EXPECT_FALSE(graph.nodes[0].hyperedge);
  EXPECT_EQ(graph.nodes[1].name, "Wiener Neustadt 'Ost'");
  EXPECT_TRUE(graph.nodes[1].hyperedge);
  EXPECT_FALSE(graph.nodes[1].longitude);
  ASSERT_EQ(graph.edges.size(), 3u);
  EXPECT_EQ(graph.edges[0].source, "0");
  EXPECT_EQ(graph.edges[0].target, "1");
  EXPECT_FALSE(graph.edges[0].regenerators);
  EXPECT_EQ(graph.edges[1].regenerators, 3);
  EXPECT_EQ(graph.edges[1].line, 16);
  EXPECT_EQ(graph.edges[2].source, "1");
}

TEST(GmlReaderTest, TakesStringIdsDirectedGraphsAndLatin1) {
  const Graph graph = readGml(
      "Creator \"x\"\n"
      "graph [ directed 1\n"
      "  node [ id \"Z\xfcrich\" label \"Z\xfcrich\" ]\n"
      "  node [ id \"B\" ]\n"
      "  edge [ source \"B\" target \"Z\xfcrich\" ]\n"
      "]");
  EXPECT_TRUE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 2u);
  EXPECT_EQ(graph.nodes[0].name, "Z\u00fcrich");
  EXPECT_EQ(graph.nodes[1].name, "");
  EXPECT_EQ(graph.edges[0].target, graph.nodes[0].id);
}

// Only the first graph, and the first of a node's repeated keys, count; other data at any
// depth is checked for form but not kept.
TEST(GmlReaderTest, KeepsTheFirstGraphAndTheFirstOfRepeatedKeys) {
  const Graph graph = readGml(
      "version 2 graph [ node [ id 0 label \"A\" label \"B\" graphics [ label \"C\" ] ]\n"
      "  directed 0 directed 1 node [ id 1 ] edge [ source 1 target 0 id 7 ] ]\n"
      "graph [ node [ id 9 ] ]");
  ASSERT_EQ(graph.nodes.size(), 2u);
  EXPECT_EQ(graph.nodes[0].name, "A");
  EXPECT_FALSE(graph.directed);
  EXPECT_EQ(graph.edges.size(), 1u);
  EXPECT_EQ(lineOfFault("graph [ node [ id 0 ] ]\ngraph [ node [ id 1 ]"), 2);
}

TEST(GmlReaderTest, NamesTheLineOfEveryFault) {
  EXPECT_EQ(lineOfFault("graph [\n node [ id 0 ]\n node [ id 1\n"), 3);       // truncated
  EXPECT_EQ(lineOfFault("graph [\n node [ id 0 ]\n]\n]\n"), 4);               // closed twice
  EXPECT_EQ(lineOfFault("graph [\n node [ label \"A\" ]\n]"), 2);             // no id
  EXPECT_EQ(lineOfFault("graph [\n node [ id 0 ]\n\n node [ id 0 ]\n]"), 4);  // id twice
  EXPECT_EQ(lineOfFault("graph [ node [ id 0 ]\n edge [ source 0 target 7 ] ]"), 2);
  EXPECT_EQ(lineOfFault("graph [ node [ id 0 ]\n edge [ source 0 ] ]"), 2);
  EXPECT_EQ(lineOfFault("graph [\n label \"open\n\n"), 2);  // string not closed
  EXPECT_EQ(lineOfFault("graph [\n node [ id 0 Longitude east ] ]"), 2);
  EXPECT_EQ(lineOfFault("graph [\n node [ id 0 Longitude \"east\" ] ]"), 2);
  EXPECT_EQ(lineOfFault("graph [ node [ id 0 ]\n edge [ source 0 target 0 regenerators 1.5 ] ]"),
            2);
  EXPECT_EQ(lineOfFault("graph [\n id"), 2);
  EXPECT_EQ(lineOfFault("{\"nodes\": []}"), 1);
  EXPECT_EQ(lineOfFault("<?xml version=\"1.0\"?>\n<graphml/>"), 1);
  EXPECT_EQ(lineOfFault("Creator \"x\"\n"), 0);  // no graph at all
  EXPECT_EQ(lineOfFault(""), 0);
}

// Nesting is bounded, so that no file can exhaust the stack.
TEST(GmlReaderTest, RefusesDeepNestingWithoutOverflow) {
  std::string deep = "graph [\n";
  for (int i = 0; i < 100000; ++i) deep += "a [\n";
  EXPECT_EQ(lineOfFault(deep), 33);
  std::string fine = "graph [ node [ id 0 ] node [ id 1 ] x ";
  for (int i = 0; i < 20; ++i) fine += "[ y ";
  fine += "1";
  for (int i = 0; i < 20; ++i) fine += " ]";
  EXPECT_EQ(readGml(fine + " ]").nodes.size(), 2u);
}

}  // namespace
}  // namespace topology
