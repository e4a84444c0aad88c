#include "topology/node_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "topology/graph.h"
#include "topology/text_lines.h"

namespace topology {

namespace {

std::string oneField(std::string_view text) {
  std::string field(text);
  for (char& c : field) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return field;
}

// Shortest text that reads back as the same double.
std::string formatDegrees(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::vector<std::string_view> splitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

std::optional<double> readDegrees(std::string_view field, double limit, const char* what,
                                  int line) {
  if (field.empty()) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value) ||
      std::fabs(value) > limit) {
    throw FormatError(std::string(what) + " '" + std::string(field) + "' is not a number from -" +
                          formatDegrees(limit) + " to " + formatDegrees(limit),
                      line);
  }
  return value;
}

}  // namespace

std::string formatNodeFile(const std::vector<NodePlace>& nodes, std::string_view comment) {
  std::string text;
  TextLines comments(comment);
  for (std::string_view line; comments.next(line);) {
    text += "# ";
    text += line;
    text += '\n';
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const NodePlace& node = nodes[i];
    text += std::to_string(i);
    text += '\t';
    text += oneField(node.name);
    text += '\t';
    if (node.longitude) text += formatDegrees(*node.longitude);
    text += '\t';
    if (node.latitude) text += formatDegrees(*node.latitude);
    text += '\n';
  }
  return text;
}

std::vector<NodePlace> parseNodeFile(std::string_view text) {
  std::vector<NodePlace> nodes;
  TextLines lines(text);
  for (std::string_view line; lines.next(line);) {
    const int lineNumber = lines.number();
    if (line.empty() || line.front() == '#') continue;
    const std::vector<std::string_view> fields = splitTabs(line);
    if (fields.size() != 4) {
      throw FormatError(
          "a node line has 4 fields separated by tabs (number, name, longitude, "
          "latitude), not " +
              std::to_string(fields.size()),
          lineNumber);
    }
    std::size_t number = 0;
    const auto [numberEnd, error] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), number);
    if (error != std::errc() || numberEnd != fields[0].data() + fields[0].size() ||
        number != nodes.size()) {
      throw FormatError("expected node " + std::to_string(nodes.size()) + ", found '" +
                            std::string(fields[0]) + "'",
                        lineNumber);
    }
    NodePlace node;
    node.name = std::string(fields[1]);
    node.longitude = readDegrees(fields[2], 180.0, "longitude", lineNumber);
    node.latitude = readDegrees(fields[3], 90.0, "latitude", lineNumber);
    nodes.push_back(std::move(node));
  }
  return nodes;
}

}  // namespace topology
