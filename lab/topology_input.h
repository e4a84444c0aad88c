// The network a --topology option names, whatever its file's format: the console's matrix
// text, which the run loads, and the nodes' names and places where they are known.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "topology/node_file.h"

namespace lab {

struct TopologyInput {
  // The console's topology file text.
  std::string conText;
  // By node number; empty when the network has no names (a .con without NAME.nodes beside
  // it).
  std::vector<topology::NodePlace> nodes;
  // SHA-256 of the file as given (before any conversion), in hex.
  std::string sha256;
  // The file's format as --format names it: con, gml, graphml, sndlib, sndlib-xml, csv.
  std::string format;
  // For a converted file: its links (each both ways) and what the conversion merged,
  // dropped or assumed, one line each. Zero and empty for a .con.
  std::size_t linkCount = 0;
  std::vector<std::string> notes;
};

struct TopologyOptions {
  // A --format word; empty to go by the file's extension, then by its first bytes.
  std::string format;
  // Regenerators of every link of a converted network, in place of the file's counts.
  std::optional<std::int64_t> regenerators;
};

// Reads the file. A .con is taken as it is, with NAME.nodes beside it when there is one;
// the other formats are converted in memory as `topology convert` converts them.
// Throws UsageError for a file that cannot be read (MissingFileError when there is none), is
// larger than the formats' limit, is in none of the formats, or holds no network in its
// format (with the line at fault).
TopologyInput readTopology(const std::string& path, const TopologyOptions& options = {});

// The node's name, or its number when it has none.
std::string nodeLabel(const TopologyInput& topology, int node);

// One line for standard error: the format, nodes and links, then the notes indented, each
// line ended by a newline. Empty for a .con, which is taken as it is.
std::string conversionSummary(const std::string& path, const TopologyInput& topology);

}  // namespace lab
