#include "topology/network_builder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <unordered_map>

namespace topology {

namespace {

struct LinkInfo {
  std::optional<std::int64_t> regenerators;
  int edges = 0;
  // Edges counted per direction, to tell a directed pair from parallel edges.
  int forward = 0;
  int backward = 0;
};

// The first line is text before the first record: it must hold no '*' nor ';'.
std::string commentSafe(std::string text) {
  for (char& c : text) {
    if (c == '*' || c == ';' || c == '\n' || c == '\r') c = '_';
  }
  return text;
}

std::string nodeShown(const Graph& graph, std::size_t index) {
  const GraphNode& node = graph.nodes[index];
  std::string text = std::to_string(index);
  if (!node.name.empty()) return text + " (" + node.name + ")";
  return text + " (id " + node.id + ")";
}

// "3 (A), 7 (B), ... and 12 more": notes stay one readable line on large networks.
std::string listed(const Graph& graph, const std::vector<std::size_t>& indexes) {
  constexpr std::size_t kShown = 8;
  std::string text;
  for (std::size_t i = 0; i < indexes.size() && i < kShown; ++i) {
    if (i > 0) text += ", ";
    text += nodeShown(graph, indexes[i]);
  }
  if (indexes.size() > kShown) text += " and " + std::to_string(indexes.size() - kShown) + " more";
  return text;
}

std::string plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

void checkCount(std::int64_t count, int line) {
  if (count < 0 || count > std::numeric_limits<std::int32_t>::max()) {
    throw FormatError("a regenerator count must be from 0 to " +
                          std::to_string(std::numeric_limits<std::int32_t>::max()) + ", not " +
                          std::to_string(count),
                      line);
  }
}

void notePlaces(const Graph& graph, ConsoleNetwork& network) {
  std::size_t placed = 0;
  std::size_t dropped = 0;
  std::unordered_map<std::string, std::vector<std::size_t>> byName;
  std::vector<std::size_t> hyperedges;
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const GraphNode& node = graph.nodes[i];
    NodePlace place;
    place.name = node.name;
    if (node.longitude && node.latitude) {
      if (std::abs(*node.longitude) <= 180.0 && std::abs(*node.latitude) <= 90.0) {
        place.longitude = node.longitude;
        place.latitude = node.latitude;
        ++placed;
      } else {
        ++dropped;
      }
    }
    if (!node.name.empty()) byName[node.name].push_back(i);
    if (node.hyperedge) hyperedges.push_back(i);
    network.nodes.push_back(std::move(place));
  }
  if (placed < graph.nodes.size()) {
    network.notes.push_back(plural(graph.nodes.size() - placed, "node has", "nodes have") +
                            " no coordinates");
  }
  if (dropped > 0) {
    network.notes.push_back(plural(dropped, "node's coordinates are", "nodes' coordinates are") +
                            " outside -180..180 / -90..90: dropped");
  }
  if (!hyperedges.empty()) {
    network.notes.push_back(
        "kept as nodes, although the file marks them as not places "
        "(hyperedge): " +
        listed(graph, hyperedges));
  }
  std::vector<std::size_t> repeated;
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const auto found = byName.find(graph.nodes[i].name);
    if (found != byName.end() && found->second.size() > 1) repeated.push_back(i);
  }
  if (!repeated.empty()) {
    network.notes.push_back("names given to more than one node (told apart by number): " +
                            listed(graph, repeated));
  }
}

}  // namespace

ConsoleNetwork buildConsoleNetwork(const Graph& graph, const BuildOptions& options) {
  const std::size_t n = graph.nodes.size();
  if (n < 2) {
    throw FormatError("a network needs at least 2 nodes; the file holds " + std::to_string(n), 0);
  }
  if (n > kMaxNodes) {
    throw FormatError("the network has " + std::to_string(n) + " nodes; at most " +
                          std::to_string(kMaxNodes) + " are taken",
                      0);
  }
  if (options.regenerators) checkCount(*options.regenerators, 0);
  std::unordered_map<std::string, std::size_t> indexOf;
  for (std::size_t i = 0; i < n; ++i) indexOf.emplace(graph.nodes[i].id, i);
  const auto index = [&](const std::string& id, int line) {
    const auto found = indexOf.find(id);
    if (found == indexOf.end()) {
      throw FormatError("an edge names node '" + id + "', which the network does not hold", line);
    }
    return found->second;
  };

  std::map<std::pair<std::size_t, std::size_t>, LinkInfo> links;
  std::size_t selfLoops = 0;
  std::size_t conflicts = 0;
  std::size_t counted = 0;
  for (const GraphEdge& edge : graph.edges) {
    const std::size_t a = index(edge.source, edge.line);
    const std::size_t b = index(edge.target, edge.line);
    if (edge.regenerators) checkCount(*edge.regenerators, edge.line);
    if (a == b) {
      ++selfLoops;
      continue;
    }
    LinkInfo& link = links[{std::min(a, b), std::max(a, b)}];
    ++link.edges;
    ++(a < b ? link.forward : link.backward);
    if (edge.regenerators) {
      ++counted;
      if (!link.regenerators) {
        link.regenerators = edge.regenerators;
      } else if (*link.regenerators != *edge.regenerators) {
        ++conflicts;
      }
    }
  }

  ConsoleNetwork network;
  network.linkCount = links.size();
  notePlaces(graph, network);
  std::size_t parallel = 0;
  std::size_t bothWays = 0;
  std::size_t oneWay = 0;
  std::vector<std::vector<std::pair<std::size_t, std::int64_t>>> rows(n);
  std::vector<bool> linked(n, false);
  for (const auto& [ends, link] : links) {
    const std::int64_t count = options.regenerators.value_or(link.regenerators.value_or(0));
    rows[ends.first].emplace_back(ends.second, count);
    rows[ends.second].emplace_back(ends.first, count);
    linked[ends.first] = linked[ends.second] = true;
    if (graph.directed) {
      if (link.forward > 0 && link.backward > 0) ++bothWays;
      if (link.forward == 0 || link.backward == 0) ++oneWay;
      parallel +=
          static_cast<std::size_t>(std::max(link.forward - 1, 0) + std::max(link.backward - 1, 0));
    } else {
      parallel += static_cast<std::size_t>(link.edges - 1);
    }
  }
  if (graph.directed) {
    network.notes.push_back(
        "directed graph: every link is used both ways, as the console "
        "pairs them (" +
        plural(bothWays, "link was", "links were") + " given both ways, " +
        plural(oneWay, "one way only", "one way only") + ")");
  }
  if (parallel > 0) {
    network.notes.push_back(plural(parallel, "parallel edge", "parallel edges") +
                            " merged into the link they repeat");
  }
  if (selfLoops > 0) {
    network.notes.push_back(plural(selfLoops, "self-loop", "self-loops") + " dropped");
  }
  std::vector<std::size_t> isolated;
  for (std::size_t i = 0; i < n; ++i) {
    if (!linked[i]) isolated.push_back(i);
  }
  if (!isolated.empty()) {
    network.notes.push_back("kept without links (they neither send nor carry calls): " +
                            listed(graph, isolated));
  }
  if (options.regenerators) {
    network.notes.push_back("every link has " + std::to_string(*options.regenerators) +
                            " regenerators" +
                            (counted > 0 ? " (the file's own counts are not used)" : ""));
  } else if (counted == 0) {
    network.notes.push_back("the file gives no regenerator counts: every link has 0");
  } else {
    std::size_t missing = 0;
    for (const auto& [ends, link] : links) missing += !link.regenerators;
    if (missing > 0) {
      network.notes.push_back(plural(missing, "link has", "links have") +
                              " no regenerator count in the file: 0 taken");
    }
    if (conflicts > 0) {
      network.notes.push_back(plural(conflicts, "edge gives", "edges give") +
                              " a regenerator count other than an earlier edge of its link: "
                              "the first count taken");
    }
  }

  std::string text = commentSafe(
      "Converted from " + options.sourceName + " by wrnsim-lab: " + std::to_string(n) +
      " nodes numbered 0 to " + std::to_string(n - 1) + " " + graph.nodeOrder + ", " +
      std::to_string(links.size()) + " links both ways, names and places in the .nodes file");
  text += "\n*tabla: ;\n";
  text.reserve(text.size() + n * (2 * n + 3));
  for (std::size_t row = 0; row < n; ++row) {
    std::sort(rows[row].begin(), rows[row].end());
    text += '*';
    std::size_t next = 0;
    for (std::size_t column = 0; column < n; ++column) {
      if (column > 0) text += ' ';
      if (next < rows[row].size() && rows[row][next].first == column) {
        text += std::to_string(rows[row][next].second);
        ++next;
      } else {
        text += '-';
      }
    }
    text += ";\n";
  }
  network.conText = std::move(text);
  return network;
}

}  // namespace topology
