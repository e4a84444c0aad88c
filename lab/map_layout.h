// Where a network's nodes go on a drawing: by their coordinates on a simple map projection,
// or, for nodes and networks without them, by a layout that depends on nothing but the
// network.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "topology/node_file.h"

namespace lab {

enum class Layout {
  kAuto,         // coordinates when any node has them, else a circle
  kCoordinates,  // refused when no node has coordinates
  kCircle,       // node 0 at the top, then clockwise in node order
  kForce,        // a spring layout started from the circle: same network, same picture
};

// None for a name other than auto, coordinates, circle or force.
std::optional<Layout> layoutFromName(const std::string& name);

struct Point {
  double x = 0.0;
  double y = 0.0;
};

struct Frame {
  // The area the nodes are fitted into, in drawing units, y growing downwards.
  double left = 0.0;
  double top = 0.0;
  double width = 800.0;
  double height = 600.0;
};

struct Placement {
  std::vector<Point> points;
  // The layout used (never kAuto).
  Layout layout = Layout::kCircle;
  // With coordinates, the nodes that have none, in node order: placed by springs among
  // their neighbours, the nodes with coordinates held where they are.
  std::vector<int> withoutCoordinates;
};

// A point inside `frame` for every node 0 .. nodeCount - 1. Coordinates are projected
// equirectangularly, longitude scaled by the cosine of the mean latitude, and fitted to the
// frame keeping their proportions, north up. `links` (node pairs) only shape the spring
// layouts, which give the same points for the same input. Throws std::invalid_argument for
// kCoordinates when no node has both coordinates.
Placement placeNodes(const std::vector<topology::NodePlace>& places, int nodeCount,
                     const std::vector<std::pair<int, int>>& links, Layout layout,
                     const Frame& frame);

}  // namespace lab
