#include "topology/node_file.h"

#include <gtest/gtest.h>

#include "topology/graph.h"

namespace topology {
namespace {

TEST(NodeFileTest, ReadsBackWhatItWrites) {
  const std::vector<NodePlace> nodes = {
      {"Zürich", 8.55, 47.3667},
      {"", std::nullopt, std::nullopt},
      {"Saint-Étienne", -0.1, std::nullopt},
      {"Tab\there", 179.999999999, -89.5},
  };
  const std::string text = formatNodeFile(nodes, "from Example.gml\nnodes in file order");
  EXPECT_EQ(text.substr(0, text.find("0\t")), "# from Example.gml\n# nodes in file order\n");
  EXPECT_NE(text.find("1\t\t\t\n"), std::string::npos);

  const std::vector<NodePlace> read = parseNodeFile(text);
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].name, "Zürich");
  EXPECT_EQ(read[0].longitude, 8.55);
  EXPECT_EQ(read[0].latitude, 47.3667);
  EXPECT_EQ(read[1].name, "");
  EXPECT_FALSE(read[1].longitude);
  EXPECT_FALSE(read[1].latitude);
  EXPECT_EQ(read[2].latitude, std::nullopt);
  EXPECT_EQ(read[3].name, "Tab here");
  EXPECT_EQ(read[3].longitude, 179.999999999);
}

TEST(NodeFileTest, TakesCommentsBlankLinesAndWindowsLineEnds) {
  const std::vector<NodePlace> read = parseNodeFile("# a\r\n\r\n0\tA\t1\t2\r\n# b\n1\tB\t\t\n");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].latitude, 2.0);
  EXPECT_EQ(read[1].name, "B");
  EXPECT_TRUE(parseNodeFile("").empty());
}

// A fault names its line, so that a user who edited the file finds it.
TEST(NodeFileTest, RefusesMalformedLinesNamingThem) {
  const auto lineOf = [](std::string_view text) {
    try {
      parseNodeFile(text);
    } catch (const FormatError& error) {
      return error.line;
    }
    return 0;
  };
  EXPECT_EQ(lineOf("0\tA\t1\n"), 1);             // three fields
  EXPECT_EQ(lineOf("# c\n1\tA\t\t\n"), 2);       // does not start at 0
  EXPECT_EQ(lineOf("0\tA\t\t\n0\tB\t\t\n"), 2);  // repeated
  EXPECT_EQ(lineOf("0\tA\t181\t0\n"), 1);        // longitude out of range
  EXPECT_EQ(lineOf("0\tA\t0\t-90.5\n"), 1);      // latitude out of range
  EXPECT_EQ(lineOf("0\tA\t1e\t0\n"), 1);         // not a number
  EXPECT_EQ(lineOf("0\tA\tnan\t0\n"), 1);
  EXPECT_EQ(lineOf("x\tA\t\t\n"), 1);
}

}  // namespace
}  // namespace topology
