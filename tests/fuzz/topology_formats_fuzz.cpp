// libFuzzer target: every topology format's reader, then the conversion, on any bytes. A
// file is refused with FormatError or becomes a matrix the console loads whole, each link
// both ways with shared fibres.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "network/link_table.h"
#include "network/node_list.h"
#include "network/topology_reader.h"
#include "quiet_console.h"
#include "topology/network_builder.h"
#include "topology/node_file.h"
#include "topology/topology_format.h"

namespace {

using fuzzing::check;
using fuzzing::QuietConsole;

void checkLoads(const topology::ConsoleNetwork& network) {
  static QuietConsole console;
  static base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("fuzz.con", network.conText);
  network::LinkTable table(2, 1);
  network::NodeList nodes;
  const int count = network::loadTopology("fuzz", table, nodes, files, reporter);
  check(count == static_cast<int>(network.nodes.size()));
  check(table.size() == 2 * network.linkCount);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const network::Link& link = table[i];
    check(link.from != link.to && link.regenerators >= 0);
    const std::ptrdiff_t reverse = table.positionOf(link.to, link.from);
    check(reverse >= 0);
    const network::Link& back = table[static_cast<std::size_t>(reverse)];
    check(back.regenerators == link.regenerators);
    check(table.freeFibers(link) == table.freeFibers(back));
  }
  // The side file reads back as written.
  const auto places = topology::parseNodeFile(topology::formatNodeFile(network.nodes, "fuzz"));
  check(places.size() == network.nodes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The content decides, as for a file without an extension, and every reader is tried.
  (void)topology::formatOfText(text);
  for (topology::Format format :
       {topology::Format::kGml, topology::Format::kGraphml, topology::Format::kSndlibNative,
        topology::Format::kSndlibXml, topology::Format::kEdgeList}) {
    try {
      const topology::Graph graph = topology::readGraph(format, text);
      // Readers return only edges between nodes they hold.
      std::unordered_set<std::string> ids;
      for (const topology::GraphNode& node : graph.nodes) ids.insert(node.id);
      for (const topology::GraphEdge& edge : graph.edges) {
        check(ids.contains(edge.source) && ids.contains(edge.target));
      }
      checkLoads(topology::buildConsoleNetwork(graph, {"fuzz", std::nullopt}));
    } catch (const topology::FormatError&) {
    }
  }
  return 0;
}
