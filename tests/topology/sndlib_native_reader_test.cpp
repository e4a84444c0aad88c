#include "topology/sndlib_native_reader.h"

#include <gtest/gtest.h>

#include "fault_line.h"

namespace topology {
namespace {

int lineOfFault(std::string_view text) {
  return faultLine(readSndlibNative, text);
}

TEST(SndlibNativeReaderTest, ReadsNodesAndLinksSkippingOtherSections) {
  const Graph graph = readSndlibNative(
      "?SNDlib native format; type: network; version: 1.0\n"
      "# network example\n"
      "META (\n  granularity = 6month\n  unit = MBITPERSEC\n)\n"
      "NODES (\n"
      "  Seattle ( -122.30 47.60 )\n"
      "  K\xf6ln ( 6.95 50.93 )   # Latin-1\n"
      "  Ulm(10.0 48.4)\n"
      ")\n"
      "LINKS (\n"
      "  L1 ( Seattle K\xf6ln ) 0.00 0.00 0.00 0.00 ( 40.00 3290.00 155.00 1000.00 )\n"
      "  L2 ( Ulm Seattle ) 0.00 0.00 0.00 0.00 ( )\n"
      "  L3 ( Ulm Seattle ) )\n"
      "DEMANDS (\n  D1 ( Seattle Ulm ) 1 1.00 UNLIMITED\n)\n"
      "ADMISSIBLE_PATHS ( D1 ( P1 ( L1 L2 ) ) )\n");
  EXPECT_FALSE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(graph.nodes[0].name, "Seattle");
  EXPECT_EQ(graph.nodes[0].longitude, -122.30);
  EXPECT_EQ(graph.nodes[0].latitude, 47.60);
  EXPECT_EQ(graph.nodes[1].id, "K\u00f6ln");
  EXPECT_EQ(graph.nodes[2].line, 10);
  ASSERT_EQ(graph.edges.size(), 3u);
  EXPECT_EQ(graph.edges[0].target, "K\u00f6ln");
  EXPECT_EQ(graph.edges[1].source, "Ulm");
  EXPECT_EQ(graph.edges[1].line, 14);
  EXPECT_FALSE(graph.edges[0].regenerators);
}

TEST(SndlibNativeReaderTest, NamesTheLineOfEveryFault) {
  EXPECT_EQ(lineOfFault("NODES (\n A ( 1 2 )\n B ( 1 2 )\n"), 3);  // NODES not closed
  EXPECT_EQ(lineOfFault("NODES (\n A ( 1 )\n)"), 2);               // one coordinate
  EXPECT_EQ(lineOfFault("NODES (\n A ( 1 north )\n)"), 2);
  EXPECT_EQ(lineOfFault("NODES (\n A ( 1 2 )\n A ( 3 4 )\n)"), 3);  // named twice
  EXPECT_EQ(lineOfFault("NODES ( A ( 1 2 ) )\nLINKS (\n L1 ( A Z ) 0 )"), 3);
  EXPECT_EQ(lineOfFault("NODES ( A ( 1 2 ) )\nLINKS (\n L1 A A )"), 3);
  EXPECT_EQ(lineOfFault("META (\n x ( y\n"), 1);
  EXPECT_EQ(lineOfFault("graph [ node [ id 0 ] ]"), 1);
  EXPECT_EQ(lineOfFault("# only a comment\nLINKS ( )\n"), 0);  // no NODES
  EXPECT_EQ(lineOfFault(""), 0);
}

}  // namespace
}  // namespace topology
