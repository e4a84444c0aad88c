// A network as a topology file describes it, before it becomes the console's matrix: nodes
// named as the file names them, and edges between those names.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace topology {

// A file that cannot be read as its format: what() says what and, when known, the line.
struct FormatError : std::runtime_error {
  FormatError(const std::string& what, int line)
      : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + what : what),
        line(line) {}
  // 1-based; 0 when the fault has no one place.
  int line;
};

struct GraphNode {
  // How edges name the node: its id in the file.
  std::string id;
  // Its label, UTF-8; empty when the file gives none.
  std::string name;
  std::optional<double> longitude;
  std::optional<double> latitude;
  // Marked by the file as not a place (a hyperedge of a multi-point link).
  bool hyperedge = false;
  int line = 0;
};

struct GraphEdge {
  std::string source;
  std::string target;
  // From the file's own column or attribute; none when it has none.
  std::optional<std::int64_t> regenerators;
  int line = 0;
};

// Nodes and edges in file order. Edges name nodes by id; a reader only returns graphs whose
// edges name nodes it holds.
struct Graph {
  std::vector<GraphNode> nodes;
  std::vector<GraphEdge> edges;
  // The file says its edges have a direction; otherwise each is a link both ways.
  bool directed = false;
  // How `nodes` are ordered, for the user: "in file order" unless the reader says otherwise.
  std::string nodeOrder = "in the file's order of nodes";
};

}  // namespace topology
