// A network drawn as an SVG map: nodes where the layout puts them, named, with the links
// between them and, for a run's result, where its calls were blocked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lab/map_layout.h"

namespace lab {

enum class LinkMeasure { kBlockingEvents, kOccupancy };

// A run's counts as the map shows them.
struct MapResult {
  LinkMeasure measure = LinkMeasure::kBlockingEvents;
  // Per link of NetworkMap::links.
  std::vector<double> linkValues;
  // Per node: blocked over offered of the calls it originates; none when it offered none.
  std::vector<std::optional<double>> originBlocking;
  // Per node: its pairs with fewer distinct candidate paths than asked, and those whose
  // search stopped at its limit.
  std::vector<std::int64_t> shortPairs;
  std::vector<std::int64_t> limitedPairs;
  std::int32_t askedPaths = 0;
  // The routing named by the result.
  std::string routing;
};

struct NetworkMap {
  std::string title;
  // By node number; the map draws nodeCount = names.size() nodes.
  std::vector<std::string> names;
  std::vector<topology::NodePlace> places;
  // Each linked pair once, as (lower node, higher node).
  std::vector<std::pair<int, int>> links;
  std::optional<MapResult> result;
};

// The colour of a value at `fraction` (0 to 1, clamped) of the scale, as "#rrggbb": light
// yellow at 0 through orange to dark red at 1.
std::string scaleColour(double fraction);

// The drawing. Every node is a circle of class "node" with id "node-N", every link a line of
// class "link" with data-from and data-to, every name shown a text of class "label"; each
// node's and link's tooltip names it and gives its counts. With a result, a link's colour is
// scaleColour(value / largest value), grey for 0; nodes are coloured the same way by the
// blocking of the calls they originate, white when they offered none, and nodes with pairs
// short of paths or stopped at the search limit get a dashed outline (class "marked"). A
// legend gives each scale with its numbers, and a caption says how nodes were placed, what
// the colours mean and how many names were left out. Names that would overlap a name already
// placed or another node are left out, nodes with more links placed first. Throws
// std::invalid_argument as placeNodes does.
std::string networkMapSvg(const NetworkMap& map, Layout layout);

}  // namespace lab
