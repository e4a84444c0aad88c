// NAME.nodes, the side file beside a converted NAME.con: names and coordinates of the
// nodes by number, for the lab and for any other tool; the console never reads it.
//
// UTF-8 text; lines starting with '#' are comments; then one line per node, in node order,
// "number<TAB>name<TAB>longitude<TAB>latitude", with empty fields where unknown.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace topology {

struct NodePlace {
  // Empty when unknown.
  std::string name;
  std::optional<double> longitude;
  std::optional<double> latitude;
};

// The file's text: each line of `comment` as a '#' line, then node i of `nodes` as number i.
// Tabs and line breaks in names become spaces, so that every name stays one field.
std::string formatNodeFile(const std::vector<NodePlace>& nodes, std::string_view comment);

// The places by node number. Lines must number the nodes 0, 1, 2, ... in order, each with
// four fields; coordinates are decimal degrees (longitude -180..180, latitude -90..90).
// Throws FormatError naming the line of the first fault.
std::vector<NodePlace> parseNodeFile(std::string_view text);

}  // namespace topology
