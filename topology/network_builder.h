// A graph made into the console's network: the matrix text it loads, the node side file's
// places, and what had to be merged, dropped or assumed on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "topology/graph.h"
#include "topology/node_file.h"

namespace topology {

// Beyond this the matrix text (n x n entries) grows past what the console reads quickly.
constexpr std::size_t kMaxNodes = 5000;

struct BuildOptions {
  // The file the graph came from, named on the matrix text's first line.
  std::string sourceName;
  // Regenerators of every link, in place of the file's own counts.
  std::optional<std::int64_t> regenerators;
};

struct ConsoleNetwork {
  // A .con file: one comment line (source, numbering), then the "tabla" matrix.
  std::string conText;
  // Node i of the matrix is the graph's i-th node (file order), always, also when it has
  // no link: every row of the matrix holds entries, so the console counts all of them.
  std::vector<NodePlace> nodes;
  // Links between two different nodes, each written in both directions with one count.
  std::size_t linkCount = 0;
  // One line each, for the user: what was merged, dropped, kept or assumed.
  std::vector<std::string> notes;
};

// Each edge becomes a link both ways, as the console pairs the two directions of a link
// (shared fibres, one regenerator count): in a directed graph a->b and b->a are one link.
// Parallel edges become one link and self-loops are dropped; coordinates outside
// -180..180 / -90..90 are dropped. A link's regenerators are options.regenerators when set,
// else the count of its first edge that has one, else 0; disagreeing counts are noted.
// Throws FormatError (with the edge's line where there is one) for fewer than 2 nodes,
// more than kMaxNodes, a negative count or one the console cannot hold.
ConsoleNetwork buildConsoleNetwork(const Graph& graph, const BuildOptions& options);

}  // namespace topology
