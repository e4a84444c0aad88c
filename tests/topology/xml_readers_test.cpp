#include <gtest/gtest.h>

#include "fault_line.h"
#include "topology/graphml_reader.h"
#include "topology/sndlib_xml_reader.h"

namespace topology {
namespace {

const char* const kGraphml = R"(<?xml version="1.0" encoding="utf-8"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns">
  <key attr.name="label" attr.type="string" for="node" id="d1" />
  <key attr.name="Longitude" attr.type="double" for="node" id="d2" />
  <key attr.name="Latitude" attr.type="double" for="node" id="d3" />
  <key attr.name="hyperedge" attr.type="int" for="node" id="d4"><default>0</default></key>
  <key attr.name="Regenerators" attr.type="int" for="edge" id="e1" />
  <key attr.name="LinkLabel" attr.type="string" for="edge" id="e2" />
  <graph edgedefault="undirected">
    <node id="a"><data key="d1">Z&#252;rich &amp; Co</data><data key="d2">8.55</data>
      <data key="d3">47.37</data></node>
    <edge source="a" target="b"><data key="e1">3</data><data key="e2">DWDM</data></edge>
    <node id="b"><data key="d1"> Genève </data></node>
    <node id="c"><data key="d4">1</data></node>
    <edge source="b" target="c" />
  </graph>
</graphml>
)";

TEST(GraphmlReaderTest, ReadsNodesEdgesAndTheirAttributes) {
  const Graph graph = readGraphml(kGraphml);
  EXPECT_FALSE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(graph.nodes[0].id, "a");
  EXPECT_EQ(graph.nodes[0].name, "Zürich & Co");
  EXPECT_EQ(graph.nodes[0].longitude, 8.55);
  EXPECT_EQ(graph.nodes[0].latitude, 47.37);
  EXPECT_EQ(graph.nodes[0].line, 10);
  EXPECT_FALSE(graph.nodes[0].hyperedge);
  EXPECT_EQ(graph.nodes[1].name, "Genève");
  EXPECT_FALSE(graph.nodes[1].longitude);
  EXPECT_TRUE(graph.nodes[2].hyperedge);
  EXPECT_EQ(graph.nodes[2].name, "");
  ASSERT_EQ(graph.edges.size(), 2u);
  EXPECT_EQ(graph.edges[0].source, "a");
  EXPECT_EQ(graph.edges[0].target, "b");
  EXPECT_EQ(graph.edges[0].regenerators, 3);
  EXPECT_EQ(graph.edges[0].line, 12);
  EXPECT_FALSE(graph.edges[1].regenerators);
}

TEST(GraphmlReaderTest, ReadsLatin1AsItsDeclarationSays) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<graphml><key attr.name=\"label\" "
      "for=\"node\" id=\"l\"/><graph edgedefault=\"directed\"><node id=\"0\"><data key=\"l\">"
      "M\xfcnchen</data></node></graph></graphml>";
  const Graph graph = readGraphml(text);
  EXPECT_TRUE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 1u);
  EXPECT_EQ(graph.nodes[0].name, "München");
}

TEST(GraphmlReaderTest, RefusesWhatItCannotReadNamingTheLine) {
  using Read = Graph (*)(std::string_view);
  const Read read = readGraphml;
  EXPECT_EQ(faultLine(read, "<graphml>\n<graph>\n<node id=\"0\">\n</graph>"), 4);  // unbalanced
  EXPECT_EQ(faultLine(read, "<graphml>\n<graph>\n<node id=\"0\"/>"), 3);           // truncated
  EXPECT_GT(faultLine(read, ""), 0);
  EXPECT_EQ(faultLine(read, "<network/>"), 1);             // another format
  EXPECT_EQ(faultLine(read, "<graphml>\n</graphml>"), 1);  // no graph
  EXPECT_EQ(faultLine(read, "<graphml><graph>\n<node/></graph></graphml>"), 2);
  EXPECT_EQ(
      faultLine(read, "<graphml><graph>\n<node id=\"1\"/>\n<node id=\"1\"/></graph></graphml>"), 3);
  EXPECT_EQ(faultLine(read,
                      "<graphml><graph><node id=\"1\"/>\n<edge source=\"1\" "
                      "target=\"2\"/></graph></graphml>"),
            2);
  EXPECT_EQ(faultLine(read, "<graphml><graph edgedefault=\"sideways\"/></graphml>"), 1);
  EXPECT_EQ(faultLine(read,
                      "<graphml><graph edgedefault=\"undirected\"><node id=\"1\"/>\n"
                      "<edge directed=\"true\" source=\"1\" target=\"1\"/></graph></graphml>"),
            2);
  const std::string keys =
      "<graphml><key attr.name=\"longitude\" for=\"node\" id=\"x\"/><key "
      "attr.name=\"regenerators\" for=\"edge\" id=\"r\"/><graph>\n";
  EXPECT_EQ(
      faultLine(read, keys + "<node id=\"1\"><data key=\"x\">east</data></node></graph></graphml>"),
      2);
  // Out of range is not the reader's to judge: the conversion drops such a place and says so.
  EXPECT_EQ(
      faultLine(read, keys + "<node id=\"1\"><data key=\"x\">200</data></node></graph></graphml>"),
      -1);
  EXPECT_EQ(faultLine(read, keys + "<node id=\"1\"/><edge source=\"1\" target=\"1\"><data "
                                   "key=\"r\">1.5</data></edge></graph></graphml>"),
            2);
  EXPECT_EQ(faultLine(read, keys + "<node id=\"1\"/><edge source=\"1\" target=\"1\"><data "
                                   "key=\"r\">-1</data></edge></graph></graphml>"),
            2);
}

const char* const kSndlib = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<network xmlns="http://sndlib.zib.de/network" version="1.0">
 <meta><granularity>1year</granularity></meta>
 <networkStructure>
  <nodes coordinatesType="geographical">
   <node id="Aachen">
    <coordinates>
     <x>6.04</x>
     <y>50.76</y>
    </coordinates>
   </node>
   <node id="Berlin"><coordinates><x> 13.48 </x><y>52.52</y></coordinates></node>
   <node id="Hamburg"/>
  </nodes>
  <links>
   <link id="L1">
    <source>Aachen</source>
    <target>Berlin</target>
    <preInstalledModule><capacity>40.0</capacity><cost>0.0</cost></preInstalledModule>
   </link>
   <link id="L2"><source>Berlin</source><target>Hamburg</target></link>
  </links>
 </networkStructure>
 <demands><demand id="D1"><source>Aachen</source><target>Berlin</target></demand></demands>
</network>
)";

TEST(SndlibXmlReaderTest, ReadsNodesAndLinksOfTheStructure) {
  const Graph graph = readSndlibXml(kSndlib);
  EXPECT_FALSE(graph.directed);
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(graph.nodes[0].id, "Aachen");
  EXPECT_EQ(graph.nodes[0].name, "Aachen");
  EXPECT_EQ(graph.nodes[0].longitude, 6.04);
  EXPECT_EQ(graph.nodes[0].latitude, 50.76);
  EXPECT_EQ(graph.nodes[0].line, 6);
  EXPECT_EQ(graph.nodes[1].longitude, 13.48);
  EXPECT_FALSE(graph.nodes[2].latitude);
  ASSERT_EQ(graph.edges.size(), 2u);
  EXPECT_EQ(graph.edges[0].source, "Aachen");
  EXPECT_EQ(graph.edges[0].target, "Berlin");
  EXPECT_EQ(graph.edges[0].line, 16);
  EXPECT_EQ(graph.edges[1].target, "Hamburg");
}

TEST(SndlibXmlReaderTest, LeavesPixelCoordinatesOut) {
  const Graph graph = readSndlibXml(
      "<network><networkStructure><nodes coordinatesType=\"pixel\"><node id=\"a\"><coordinates>"
      "<x>640</x><y>480</y></coordinates></node></nodes></networkStructure></network>");
  ASSERT_EQ(graph.nodes.size(), 1u);
  EXPECT_FALSE(graph.nodes[0].longitude);
  EXPECT_FALSE(graph.nodes[0].latitude);
}

TEST(SndlibXmlReaderTest, RefusesWhatItCannotReadNamingTheLine) {
  using Read = Graph (*)(std::string_view);
  const Read read = readSndlibXml;
  const std::string head = "<network><networkStructure><nodes>\n<node id=\"a\"/>\n";
  EXPECT_EQ(faultLine(read, head + "<node id=\"b\">"), 3);
  EXPECT_EQ(faultLine(read, "<graphml/>"), 1);
  EXPECT_EQ(faultLine(read, "<network>\n</network>"), 1);
  EXPECT_EQ(faultLine(read, head + "<node id=\"a\"/></nodes></networkStructure></network>"), 3);
  EXPECT_EQ(faultLine(read, head + "<node/></nodes></networkStructure></network>"), 3);
  EXPECT_EQ(faultLine(read, head + "</nodes><links>\n<link><source>a</source><target>z</target>"
                                   "</link></links></networkStructure></network>"),
            4);
  EXPECT_EQ(faultLine(read, head + "</nodes><links>\n<link><source>a</source></link></links>"
                                   "</networkStructure></network>"),
            4);
  EXPECT_EQ(faultLine(read, head + "<node id=\"b\"><coordinates><x>1,5</x></coordinates></node>"
                                   "</nodes></networkStructure></network>"),
            3);
}

}  // namespace
}  // namespace topology
