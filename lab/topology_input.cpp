#include "lab/topology_input.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "experiment/sha256.h"
#include "lab/lab_files.h"
#include "topology/graph.h"
#include "topology/network_builder.h"
#include "topology/topology_format.h"

namespace lab {

namespace {

// Reads at most the formats' limit, so that a huge file or an endless device is refused
// without being read whole.
std::string readBounded(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw UsageError("the topology file '" + path + "' is a folder, not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throwUnreadable("cannot read topology file '" + path + "': ");
  std::string text;
  char chunk[1 << 16];
  while (text.size() <= topology::kMaxFileBytes && in.read(chunk, sizeof chunk).gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) {
    throw UsageError("cannot read topology file '" + path + "': " + std::strerror(errno));
  }
  if (text.size() > topology::kMaxFileBytes) {
    throw UsageError("'" + path + "' is larger than " +
                     std::to_string(topology::kMaxFileBytes >> 20) +
                     " MB, more than any topology file of these formats holds");
  }
  return text;
}

topology::Format formatOf(const std::string& path, const TopologyOptions& options,
                          std::string_view text) {
  if (!options.format.empty()) {
    if (const auto named = topology::formatNamed(options.format)) return *named;
    throw UsageError("--format takes con, gml, graphml, sndlib, sndlib-xml or csv, not '" +
                     options.format + "'");
  }
  if (const auto byName = topology::formatOfPath(path)) return *byName;
  if (const auto byText = topology::formatOfText(text)) return *byText;
  throw UsageError("'" + path +
                   "' is in none of the topology formats (GML, GraphML, SNDlib native or XML, "
                   "a CSV edge list, the console's .con): name it by its extension or give "
                   "--format");
}

std::string baseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The places of NAME.nodes beside a .con; none when there is no such file.
std::vector<topology::NodePlace> nodesBeside(const std::string& path) {
  std::filesystem::path nodesPath(path);
  nodesPath.replace_extension(".nodes");
  std::error_code error;
  if (!std::filesystem::is_regular_file(nodesPath, error)) return {};
  const std::string shown = nodesPath.string();
  try {
    return topology::parseNodeFile(readFile(shown, "node file"));
  } catch (const topology::FormatError& fault) {
    throw UsageError(shown + ": " + fault.what());
  }
}

}  // namespace

TopologyInput readTopology(const std::string& path, const TopologyOptions& options) {
  const std::optional<topology::Format> byName =
      options.format.empty() ? topology::formatOfPath(path) : std::nullopt;
  // A .con is read whole, as the console reads it; other files only up to the formats' limit.
  const bool conByName = byName == topology::Format::kCon;
  const std::string text = conByName ? readFile(path, "topology file") : readBounded(path);
  const topology::Format format =
      conByName ? topology::Format::kCon : formatOf(path, options, text);
  TopologyInput topology;
  topology.sha256 = experiment::sha256Hex(text);
  topology.format = std::string(topology::formatName(format));
  if (format == topology::Format::kCon) {
    topology.conText = text;
    topology.nodes = nodesBeside(path);
    return topology;
  }
  try {
    const topology::Graph graph = topology::readGraph(format, text);
    topology::ConsoleNetwork network =
        topology::buildConsoleNetwork(graph, {baseName(path), options.regenerators});
    topology.conText = std::move(network.conText);
    topology.nodes = std::move(network.nodes);
    topology.linkCount = network.linkCount;
    topology.notes = std::move(network.notes);
  } catch (const topology::FormatError& fault) {
    const std::string taken = byName ? " (read as " + topology.format + " by its extension)" : "";
    throw UsageError(path + ": " + fault.what() + taken);
  }
  return topology;
}

std::string nodeLabel(const TopologyInput& topology, int node) {
  if (node >= 0 && static_cast<std::size_t>(node) < topology.nodes.size() &&
      !topology.nodes[node].name.empty()) {
    return topology.nodes[node].name;
  }
  return std::to_string(node);
}

std::string conversionSummary(const std::string& path, const TopologyInput& topology) {
  if (topology.format == "con") return {};
  std::string text = path + " (" + topology.format + "): " + std::to_string(topology.nodes.size()) +
                     " nodes, " + std::to_string(topology.linkCount) +
                     (topology.linkCount == 1 ? " link\n" : " links\n");
  for (const std::string& note : topology.notes) text += "  " + note + "\n";
  return text;
}

}  // namespace lab
