#include "topology/edge_list_reader.h"

#include <gtest/gtest.h>

#include "fault_line.h"

namespace topology {
namespace {

int lineOfFault(std::string_view text) {
  return faultLine(readEdgeList, text);
}

TEST(EdgeListReaderTest, ReadsNamesInOrderOfFirstUse) {
  const Graph graph = readEdgeList(
      "source,target,regenerators\r\n"
      "# a comment\n"
      "\n"
      " Wien , \"Graz, S\xfc\x64\" , 2\n"
      "\"Say \"\"Hi\"\"\",Wien,\n"
      "Graz,Wien\n");
  ASSERT_EQ(graph.nodes.size(), 4u);
  EXPECT_EQ(graph.nodes[0].name, "Wien");
  EXPECT_EQ(graph.nodes[1].name, "Graz, S\u00fcd");
  EXPECT_EQ(graph.nodes[2].name, "Say \"Hi\"");
  EXPECT_EQ(graph.nodes[3].id, "Graz");
  ASSERT_EQ(graph.edges.size(), 3u);
  EXPECT_EQ(graph.edges[0].regenerators, 2);
  EXPECT_EQ(graph.edges[0].line, 4);
  EXPECT_FALSE(graph.edges[1].regenerators);
  EXPECT_EQ(graph.edges[1].target, "Wien");
  EXPECT_NE(graph.nodeOrder.find("first name"), std::string::npos);
}

TEST(EdgeListReaderTest, OrdersNumberedNodesByValue) {
  const Graph zeroBased = readEdgeList("2,0\n1,2,4\n");
  ASSERT_EQ(zeroBased.nodes.size(), 3u);
  EXPECT_EQ(zeroBased.nodes[0].id, "0");
  EXPECT_EQ(zeroBased.nodes[2].id, "2");
  EXPECT_EQ(zeroBased.nodes[0].name, "");  // the number says it all
  EXPECT_EQ(zeroBased.edges[1].regenerators, 4);

  // Numbers that are not 0..n-1 keep their value as a name, so no node is renamed silently.
  const Graph oneBased = readEdgeList("from,to\n10,3\n3,1\n");
  ASSERT_EQ(oneBased.nodes.size(), 3u);
  EXPECT_EQ(oneBased.nodes[0].name, "1");
  EXPECT_EQ(oneBased.nodes[2].name, "10");

  // A leading zero makes a name, not a number.
  const Graph named = readEdgeList("2,007\n");
  EXPECT_EQ(named.nodes[0].id, "2");
  EXPECT_EQ(named.nodes[1].name, "007");
}

TEST(EdgeListReaderTest, NamesTheLineOfEveryFault) {
  EXPECT_EQ(lineOfFault("a,b\nc\n"), 2);
  EXPECT_EQ(lineOfFault("a,b\nc,d,1,2\n"), 2);
  EXPECT_EQ(lineOfFault("a,b,1\nc,d,x\n"), 2);  // a header only on the first line
  EXPECT_EQ(lineOfFault("a,b,1\nc,d,-1\n"), 2);
  EXPECT_EQ(lineOfFault("a,b\n,d\n"), 2);
  EXPECT_EQ(lineOfFault("a,\"b\n"), 1);
  EXPECT_EQ(lineOfFault("a,\"b\"c\n"), 1);
  EXPECT_EQ(lineOfFault("a,b\n"), -1);
  EXPECT_TRUE(readEdgeList("# nothing\n").nodes.empty());
}

}  // namespace
}  // namespace topology
