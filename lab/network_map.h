// A network drawn as an SVG map: nodes where the layout puts them, named, with the links
// between them and, for the results of runs, where their calls were blocked.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lab/map_layout.h"
#include "lab/map_result.h"

namespace lab {

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
// node's and link's tooltip names it and gives its values. With a result, a link's colour is
// scaleColour(linkValue(link, measure) / largest such value), grey for 0; nodes are coloured
// the same way by the blocking of the calls they originate, white when they offered none.
// Only nodes that originate a pair with no candidate path get a dark outline (class
// "node pathless"), named in the legend when there are any. A legend gives each scale with
// its numbers, and a caption says how nodes were placed (how many without coordinates), what
// the colours mean, how many runs they average, and how many names were left out. Names that
// would overlap a name already placed or another node are left out, nodes with more links
// placed first. Throws std::invalid_argument as placeNodes does.
std::string networkMapSvg(const NetworkMap& map, Layout layout);

}  // namespace lab
