// Networks of the field's formats, converted and loaded as the console loads them.
#include "lab/topology_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "lab/commands.h"
#include "lab/lab_test_support.h"
#include "network/topology_reader.h"
#include "support/test_console.h"
#include "topology/gml_reader.h"
#include "topology/node_file.h"
#include "topology/topology_format.h"

namespace lab {
namespace {

const std::string kSources = WRNSIM_EXAMPLES "/networks/source/";

// Undirected links by their ends (lower first), with the regenerators of each direction.
using LinkSet = std::map<std::pair<int, int>, std::pair<std::int32_t, std::int32_t>>;

struct Loaded {
  int nodes = 0;
  LinkSet links;
};

Loaded loadInConsole(const std::string& conText) {
  testing_support::TestConsole console;
  base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("net.con", conText);
  network::LinkTable table(4, 1);
  network::NodeList nodes;
  Loaded loaded;
  loaded.nodes = network::loadTopology("net", table, nodes, files, reporter);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const network::Link& link = table[i];
    auto& counts = loaded.links[{std::min(link.from, link.to), std::max(link.from, link.to)}];
    (link.from < link.to ? counts.first : counts.second) = link.regenerators;
    // The two directions must share their fibres, or the console's pairing is broken.
    const std::ptrdiff_t reverse = table.positionOf(link.to, link.from);
    EXPECT_GE(reverse, 0) << link.from << "->" << link.to << " has no way back";
    if (reverse >= 0) {
      EXPECT_EQ(table.freeFibers(link), table.freeFibers(table[static_cast<std::size_t>(reverse)]));
    }
  }
  return loaded;
}

// What the graph says, numbered as the conversion promises (file order).
LinkSet linksOfGraph(const topology::Graph& graph, std::int32_t missing) {
  std::map<std::string, int> number;
  for (const topology::GraphNode& node : graph.nodes) {
    number.emplace(node.id, static_cast<int>(number.size()));
  }
  LinkSet links;
  for (const topology::GraphEdge& edge : graph.edges) {
    const int a = number.at(edge.source);
    const int b = number.at(edge.target);
    if (a == b) continue;
    const auto count = static_cast<std::int32_t>(edge.regenerators.value_or(missing));
    links.try_emplace({std::min(a, b), std::max(a, b)}, count, count);
  }
  return links;
}

TEST(TopologyInputTest, ZooFilesLoadInTheConsoleWithTheirLinks) {
  for (const char* name : {"Aconet.gml", "Arpanet19706.gml", "Nsfnet.gml", "Garr200902.gml"}) {
    SCOPED_TRACE(name);
    const TopologyInput input = readTopology(kSources + name);
    EXPECT_EQ(input.format, "gml");
    const topology::Graph graph =
        topology::readGml(lab_testing::ScratchDirectory::read(kSources + name));
    const Loaded loaded = loadInConsole(input.conText);
    EXPECT_EQ(loaded.nodes, static_cast<int>(graph.nodes.size()));
    EXPECT_EQ(input.nodes.size(), graph.nodes.size());
    EXPECT_EQ(loaded.links, linksOfGraph(graph, 0));
    EXPECT_EQ(loaded.links.size(), input.linkCount);
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
      EXPECT_EQ(input.nodes[i].name, graph.nodes[i].name);
    }
  }
  // Aconet's node 10 is a hyperedge: kept as a node, and said.
  const TopologyInput aconet = readTopology(kSources + "Aconet.gml");
  EXPECT_EQ(aconet.nodes.size(), 23u);
  bool said = false;
  for (const std::string& note : aconet.notes) said |= note.find("hyperedge") != note.npos;
  EXPECT_TRUE(said);
}

// The Zoo publishes some networks in both formats: the console must get the same network.
TEST(TopologyInputTest, GmlAndGraphmlOfOneNetworkLoadAlike) {
  const TopologyInput gml = readTopology(kSources + "Aconet.gml");
  const TopologyInput graphml = readTopology(kSources + "Aconet.graphml");
  EXPECT_EQ(graphml.format, "graphml");
  const Loaded fromGml = loadInConsole(gml.conText);
  const Loaded fromGraphml = loadInConsole(graphml.conText);
  EXPECT_EQ(fromGml.nodes, 23);
  EXPECT_EQ(fromGml.nodes, fromGraphml.nodes);
  EXPECT_EQ(fromGml.links, fromGraphml.links);
  ASSERT_EQ(gml.nodes.size(), graphml.nodes.size());
  for (std::size_t i = 0; i < gml.nodes.size(); ++i) {
    EXPECT_EQ(gml.nodes[i].name, graphml.nodes[i].name);
    EXPECT_EQ(gml.nodes[i].longitude, graphml.nodes[i].longitude);
  }
  const TopologyInput bt = readTopology(kSources + "BtEurope.graphml");
  EXPECT_EQ(loadInConsole(bt.conText).nodes, 24);
  EXPECT_EQ(loadInConsole(bt.conText).links.size(), bt.linkCount);
}

// The committed examples load in the console, name every node they hold, and are what the
// tool makes of their sources today.
TEST(TopologyInputTest, ExampleNetworksAreUpToDate) {
  const std::string folder = WRNSIM_EXAMPLES "/networks/";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".con") continue;
    SCOPED_TRACE(entry.path().string());
    const TopologyInput input = readTopology(entry.path().string());
    const Loaded loaded = loadInConsole(input.conText);
    EXPECT_GT(loaded.nodes, 1);
    if (!input.nodes.empty()) {
      EXPECT_EQ(input.nodes.size(), static_cast<std::size_t>(loaded.nodes));
    }
    for (const char* extension : {".gml", ".graphml"}) {
      const std::string source = folder + "source/" + entry.path().stem().string() + extension;
      if (!std::filesystem::exists(source)) continue;
      EXPECT_EQ(readTopology(source).conText, input.conText);
      ++checked;
      break;
    }
  }
  EXPECT_GE(checked, 4);
}

TEST(TopologyInputTest, RegeneratorsSurviveTheRoundTrip) {
  lab_testing::ScratchDirectory dir("topology-round-trip");
  const std::string gml =
      "graph [ directed 1\n"
      "  node [ id 10 label \"A\" ] node [ id 20 label \"B\" ] node [ id 5 label \"C\" ]\n"
      "  node [ id 7 label \"D\" ]\n"
      "  edge [ source 10 target 20 regenerators 3 ]\n"
      "  edge [ source 20 target 10 regenerators 3 ]\n"
      "  edge [ source 5 target 20 regenerators 0 ]\n"
      "  edge [ source 7 target 10 regenerators 12 ]\n"
      "]\n";
  const std::string path = dir.write("net.gml", gml);
  const Loaded loaded = loadInConsole(readTopology(path).conText);
  EXPECT_EQ(loaded.links, linksOfGraph(topology::readGml(gml), 0));
  EXPECT_EQ(loaded.links.at({1, 2}), std::make_pair(0, 0));
  EXPECT_EQ(loaded.links.at({0, 3}), std::make_pair(12, 12));

  TopologyOptions all;
  all.regenerators = 4;
  for (const auto& [ends, counts] : loadInConsole(readTopology(path, all).conText).links) {
    EXPECT_EQ(counts, std::make_pair(4, 4));
  }
}

TEST(TopologyInputTest, TellsFormatsByExtensionWordOrContent) {
  lab_testing::ScratchDirectory dir("topology-formats");
  const std::string csv = dir.write("net.csv", "a,b,1\nb,c\n");
  EXPECT_EQ(readTopology(csv).format, "csv");
  EXPECT_EQ(loadInConsole(readTopology(csv).conText).links.size(), 2u);
  const std::string unnamed = dir.write("net", "# x\ngraph [ node [ id 0 ] node [ id 1 ] ]");
  EXPECT_EQ(readTopology(unnamed).format, "gml");
  TopologyOptions sndlib;
  sndlib.format = "SNDlib";
  const std::string native =
      dir.write("net.dat", "NODES ( A ( 1 2 ) B ( 3 4 ) )\nLINKS ( L ( A B ) )\n");
  EXPECT_EQ(readTopology(native, sndlib).nodes[1].longitude, 3.0);
  EXPECT_EQ(readTopology(native).format, "sndlib");
  // A .con keeps its side file, and its text is taken byte for byte.
  const std::string con = dir.write("ring.con", "ring\n*tabla: ;\n*- 0;\n*0 -;\n");
  dir.write("ring.nodes", "0\tWest\t\t\n1\tEast\t\t\n");
  const TopologyInput ring = readTopology(con);
  EXPECT_EQ(ring.conText, "ring\n*tabla: ;\n*- 0;\n*0 -;\n");
  EXPECT_EQ(nodeLabel(ring, 1), "East");
  EXPECT_TRUE(ring.notes.empty());
}

TEST(TopologyInputTest, RefusesBadInputSayingWhatAndWhere) {
  lab_testing::ScratchDirectory dir("topology-bad");
  const auto fault = [](const std::string& path, TopologyOptions options = {}) {
    try {
      readTopology(path, options);
    } catch (const UsageError& error) {
      return std::string(error.what());
    }
    return std::string("no fault");
  };
  EXPECT_NE(fault(dir.write("a.gml", "graph [\n node [ id 0 ]\n node [ id 1\n")).find("line 3"),
            std::string::npos);
  EXPECT_NE(fault(dir.write("b.gml", "graph [ node [ id 0 ] ]")).find("at least 2 nodes"),
            std::string::npos);
  EXPECT_NE(fault(dir.write("c", "hello world")).find("none of the topology formats"),
            std::string::npos);
  EXPECT_NE(fault(dir.write("d.csv", "a,b\n"), {"xml", std::nullopt}).find("--format takes"),
            std::string::npos);
  EXPECT_NE(fault(dir.file("missing.gml")).find("cannot read"), std::string::npos);
  // A file past the limit is refused after reading no more than the limit.
  const std::string huge = dir.write("e.gml", std::string(topology::kMaxFileBytes + 1, ' '));
  EXPECT_NE(fault(huge).find("larger than 32 MB"), std::string::npos);
  EXPECT_NE(fault("/dev/zero", {"gml", std::nullopt}).find("larger than"), std::string::npos);
}

}  // namespace
}  // namespace lab
