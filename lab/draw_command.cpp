#include "lab/draw_command.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "experiment/trace_output.h"
#include "lab/lab_files.h"
#include "lab/map_result.h"
#include "lab/network_map.h"
#include "lab/topology_input.h"
#include "session/session.h"

namespace lab {

namespace {

// The network as the console would load it.
MapNetwork loadNetwork(const TopologyInput& topology, const std::string& path) {
  experiment::TraceOutput output;
  base::ErrorReporter reporter(output, nullptr);
  base::MemoryFileSystem files;
  session::Session session({output, nullptr, reporter, files});
  if (!session.openNetwork(base::Config{})) {
    throw UsageError("the network's records could not be made");
  }
  files.add("topologia.con", topology.conText);
  const int nodes = session.loadNetwork("topologia");
  if (nodes == -1) throw UsageError(path + ": holds no network (no \"tabla\" section)");
  if (nodes < 0) throw UsageError(path + ": the network could not be made");
  if (nodes == 0) throw UsageError(path + ": the network has no node to draw");
  MapNetwork network;
  network.nodes = nodes;
  std::set<std::pair<int, int>> pairs;
  for (const network::Link& link : session.network().loadedTable.links()) {
    network.directed.emplace(link.from, link.to);
    if (link.from != link.to) {
      pairs.emplace(std::min(link.from, link.to), std::max(link.from, link.to));
    }
  }
  network.links.assign(pairs.begin(), pairs.end());
  return network;
}

// The name as the node file gives it, unless the file left it empty or wrote it as None (as
// converted Topology Zoo files do): then the node's number.
std::string shownName(const TopologyInput& topology, int node) {
  std::string name = nodeLabel(topology, node);
  return name == "None" ? std::to_string(node) : name;
}

// The record as JSON. Throws UsageError naming the file when it is not.
nlohmann::json parseRecord(const std::string& path) {
  const std::string text = readFile(path, "result file");
  try {
    return nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    throw UsageError("'" + path + "' is not a run record: it is not JSON (byte " +
                     std::to_string(error.byte) + ")");
  }
}

}  // namespace

int drawCommand(const DrawOptions& options, LabIo& io) {
  const std::optional<Layout> layout = layoutFromName(options.layout);
  if (!layout) {
    throw UsageError("--layout is auto, coordinates, circle or force, not '" + options.layout +
                     "'");
  }
  const std::optional<LinkMeasure> measure = linkMeasureFromName(options.colourBy);
  if (!measure) {
    throw UsageError("--color-by is blocking, assignment, update-errors or occupancy, not '" +
                     options.colourBy + "'");
  }
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  const MapNetwork network = loadNetwork(topology, options.topology);
  if (!topology.nodes.empty() && topology.nodes.size() != static_cast<std::size_t>(network.nodes)) {
    io.err << "wrnsim-lab: the node file beside " << options.topology << " names "
           << topology.nodes.size() << " nodes and the network has " << network.nodes
           << "; nodes without a name are drawn by number\n";
  }
  NetworkMap map;
  map.title = options.title.empty() ? std::filesystem::path(options.topology).filename().string()
                                    : options.title;
  for (int n = 0; n < network.nodes; ++n) map.names.push_back(shownName(topology, n));
  map.places = topology.nodes;
  map.links = network.links;
  if (!options.results.empty()) {
    std::vector<RunRecordFile> records;
    for (const std::string& path : options.results) records.push_back({path, parseRecord(path)});
    map.result = mapResultOf(records, network, *measure);
  }
  std::string svg;
  try {
    svg = networkMapSvg(map, *layout);
  } catch (const std::invalid_argument& error) {
    throw UsageError("--layout coordinates: " + std::string(error.what()) + " in " +
                     options.topology);
  }
  writeFile(options.output, svg);
  io.err << network.nodes << " nodes and " << network.links.size() << " links drawn to "
         << options.output << '\n';
  return 0;
}

}  // namespace lab
