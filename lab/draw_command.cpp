#include "lab/draw_command.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "experiment/trace_output.h"
#include "lab/lab_files.h"
#include "lab/network_map.h"
#include "lab/topology_input.h"
#include "session/session.h"

namespace lab {

namespace {

struct LoadedNetwork {
  int nodes = 0;
  // Each linked pair once, lower node first.
  std::vector<std::pair<int, int>> links;
  std::set<std::pair<int, int>> directed;
};

// The network as the console would load it.
LoadedNetwork loadNetwork(const TopologyInput& topology, const std::string& path) {
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
  LoadedNetwork network;
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

// The field as a whole number from 0 to 2^31 - 1: a count or a node number. Anything else
// (a fraction, a number out of range, text) is not what a run record holds.
std::int64_t countField(const nlohmann::json& object, const char* key, const std::string& path) {
  const nlohmann::json& field = object.at(key);
  if (!field.is_number_integer() || field.get<std::int64_t>() < 0 ||
      field.get<std::int64_t>() > 0x7fffffff) {
    throw UsageError("'" + path + "' is not a run record: '" + key + "' is " + field.dump() +
                     ", not a whole number from 0");
  }
  return field.get<std::int64_t>();
}

// The run's counts per linked pair and per origin node. Throws UsageError when the record is
// not of a run on this network.
MapResult readResult(const nlohmann::json& record, const LoadedNetwork& network,
                     LinkMeasure measure, const std::string& path) {
  const auto nodes = countField(record, "nodes", path);
  if (nodes != network.nodes) {
    throw UsageError("'" + path + "' is a run on a network of " + std::to_string(nodes) +
                     " nodes, and the topology has " + std::to_string(network.nodes) +
                     ": give the topology the run was made on");
  }
  MapResult result;
  result.measure = measure;
  const nlohmann::json& settings = record.at("settings");
  result.askedPaths = static_cast<std::int32_t>(countField(settings, "paths", path));
  result.routing = settings.value("routing", std::string("console"));
  std::map<std::pair<int, int>, double> values;
  for (const nlohmann::json& link : record.at("links")) {
    const auto from = static_cast<int>(countField(link, "from", path));
    const auto to = static_cast<int>(countField(link, "to", path));
    if (network.directed.count({from, to}) == 0) {
      throw UsageError("'" + path + "' counts a link " + std::to_string(from) + "-" +
                       std::to_string(to) +
                       " that the topology does not have: give the topology the run was made on");
    }
    if (from == to) continue;
    double& value = values[{std::min(from, to), std::max(from, to)}];
    if (measure == LinkMeasure::kOccupancy) {
      // The two directions share their fibres: either gives the pair's occupancy.
      value = std::max(value, link.at("mean_occupancy").get<double>());
    } else {
      for (const auto& [cause, count] : link.at("blocking_events").items()) {
        value += count.get<double>();
      }
    }
  }
  for (const auto& pair : network.links) result.linkValues.push_back(values[pair]);
  const auto size = static_cast<std::size_t>(network.nodes);
  std::vector<std::int64_t> offered(size, 0), blocked(size, 0);
  result.shortPairs.assign(size, 0);
  result.limitedPairs.assign(size, 0);
  for (const nlohmann::json& pair : record.at("pairs")) {
    const auto origin = static_cast<int>(countField(pair, "origin", path));
    if (origin < 0 || origin >= network.nodes) {
      throw UsageError("'" + path + "' has a pair from node " + std::to_string(origin) +
                       ", which the topology does not have");
    }
    const auto at = static_cast<std::size_t>(origin);
    offered[at] += countField(pair, "offered", path);
    blocked[at] += countField(pair, "blocked", path);
    // Records from before the counts were kept mark nothing.
    if (pair.contains("distinct_candidate_paths") &&
        countField(pair, "distinct_candidate_paths", path) < result.askedPaths) {
      ++result.shortPairs[at];
    }
    if (pair.value("search_limited", false)) ++result.limitedPairs[at];
  }
  for (std::size_t n = 0; n < size; ++n) {
    result.originBlocking.push_back(offered[n] > 0
                                        ? std::optional<double>(static_cast<double>(blocked[n]) /
                                                                static_cast<double>(offered[n]))
                                        : std::nullopt);
  }
  return result;
}

}  // namespace

int drawCommand(const DrawOptions& options, LabIo& io) {
  const std::optional<Layout> layout = layoutFromName(options.layout);
  if (!layout) {
    throw UsageError("--layout is auto, coordinates, circle or force, not '" + options.layout +
                     "'");
  }
  if (options.colourBy != "blocking" && options.colourBy != "occupancy") {
    throw UsageError("--color-by is blocking or occupancy, not '" + options.colourBy + "'");
  }
  const TopologyInput topology = readTopology(options.topology);
  io.err << conversionSummary(options.topology, topology);
  const LoadedNetwork network = loadNetwork(topology, options.topology);
  if (!topology.nodes.empty() && topology.nodes.size() != static_cast<std::size_t>(network.nodes)) {
    io.err << "wrnsim-lab: the node file beside " << options.topology << " names "
           << topology.nodes.size() << " nodes and the network has " << network.nodes
           << "; nodes without a name are drawn by number\n";
  }
  NetworkMap map;
  map.title = options.title.empty() ? std::filesystem::path(options.topology).filename().string()
                                    : options.title;
  for (int n = 0; n < network.nodes; ++n) map.names.push_back(nodeLabel(topology, n));
  map.places = topology.nodes;
  map.links = network.links;
  if (!options.result.empty()) {
    const std::string text = readFile(options.result, "result file");
    const LinkMeasure measure =
        options.colourBy == "occupancy" ? LinkMeasure::kOccupancy : LinkMeasure::kBlockingEvents;
    try {
      map.result = readResult(nlohmann::json::parse(text), network, measure, options.result);
    } catch (const nlohmann::json::parse_error& error) {
      throw UsageError("'" + options.result + "' is not a run record: it is not JSON (byte " +
                       std::to_string(error.byte) + ")");
    } catch (const nlohmann::json::exception& error) {
      std::string message = error.what();
      if (const std::size_t tag = message.find("] "); tag != std::string::npos) {
        message.erase(0, tag + 2);
      }
      throw UsageError("'" + options.result + "' is not a run record: " + message);
    }
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
