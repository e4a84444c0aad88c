#include "topology/edge_list_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <unordered_map>

#include "topology/text_encoding.h"
#include "topology/text_lines.h"

namespace topology {

namespace {

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> splitFields(std::string_view line, int lineNumber) {
  std::vector<std::string> fields;
  std::size_t position = 0;
  while (true) {
    std::string field;
    const std::size_t start = line.find_first_not_of(" \t", position);
    if (start != std::string_view::npos && line[start] == '"') {
      std::size_t at = start + 1;
      while (true) {
        const std::size_t quote = line.find('"', at);
        if (quote == std::string_view::npos) {
          throw FormatError("a quoted field is not closed", lineNumber);
        }
        field.append(line.substr(at, quote - at));
        if (quote + 1 < line.size() && line[quote + 1] == '"') {
          field += '"';
          at = quote + 2;
          continue;
        }
        position = quote + 1;
        break;
      }
      const std::size_t comma = line.find(',', position);
      if (!trimmed(line.substr(position, comma - position)).empty()) {
        throw FormatError("text after a quoted field", lineNumber);
      }
      position = comma;
    } else {
      const std::size_t comma = line.find(',', position);
      field = std::string(trimmed(line.substr(position, comma - position)));
      position = comma;
    }
    fields.push_back(std::move(field));
    if (position == std::string_view::npos) return fields;
    ++position;
  }
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

bool lower(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return (x >= 'A' && x <= 'Z' ? char(x - 'A' + 'a') : x) == y;
  });
}

bool isHeader(const std::vector<std::string>& fields) {
  if (fields.size() == 3 && !wholeNumber(fields[2])) return true;
  if (fields.size() < 2) return false;
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"source", "target"}, {"from", "to"}, {"origin", "destination"}};
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const auto& names) {
    return lower(fields[0], names.first) && lower(fields[1], names.second);
  });
}

}  // namespace

Graph readEdgeList(std::string_view text) {
  Graph graph;
  std::unordered_map<std::string, std::size_t> seen;
  const auto use = [&](const std::string& id, int line) {
    if (id.empty()) throw FormatError("an edge with an empty node", line);
    if (seen.emplace(id, graph.nodes.size()).second) {
      GraphNode node;
      node.id = id;
      node.name = id;
      node.line = line;
      graph.nodes.push_back(std::move(node));
    }
  };
  bool first = true;
  TextLines lines(text);
  for (std::string_view line; lines.next(line);) {
    const int lineNumber = lines.number();
    if (trimmed(line).empty() || trimmed(line).front() == '#') continue;
    const std::vector<std::string> fields = splitFields(toUtf8(line), lineNumber);
    if (first && isHeader(fields)) {
      first = false;
      continue;
    }
    first = false;
    if (fields.size() < 2 || fields.size() > 3) {
      throw FormatError("an edge is 'a,b' or 'a,b,regenerators', not " +
                            std::to_string(fields.size()) +
                            (fields.size() == 1 ? " field" : " fields"),
                        lineNumber);
    }
    GraphEdge edge;
    edge.source = fields[0];
    edge.target = fields[1];
    edge.line = lineNumber;
    if (fields.size() == 3 && !fields[2].empty()) {
      edge.regenerators = wholeNumber(fields[2]);
      if (!edge.regenerators || *edge.regenerators < 0) {
        throw FormatError(
            "regenerators must be a whole number of 0 or more, not '" + fields[2] + "'",
            lineNumber);
      }
    }
    use(edge.source, lineNumber);
    use(edge.target, lineNumber);
    graph.edges.push_back(std::move(edge));
  }

  const bool numbered = !graph.nodes.empty() &&
                        std::all_of(graph.nodes.begin(), graph.nodes.end(), [](const GraphNode& n) {
                          const auto value = wholeNumber(n.id);
                          return value && *value >= 0 && std::to_string(*value) == n.id;
                        });
  if (numbered) {
    std::stable_sort(graph.nodes.begin(), graph.nodes.end(),
                     [](const GraphNode& a, const GraphNode& b) {
                       return *wholeNumber(a.id) < *wholeNumber(b.id);
                     });
    bool identity = true;
    for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
      identity = identity && graph.nodes[i].id == std::to_string(i);
    }
    if (identity) {
      for (GraphNode& node : graph.nodes) node.name.clear();
    }
    graph.nodeOrder = "in the order of their numbers in the file";
  } else {
    graph.nodeOrder = "in the order the edges first name them";
  }
  return graph;
}

}  // namespace topology
