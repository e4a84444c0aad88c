#include "lab/map_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace lab {

namespace {

bool hasPlace(const std::vector<topology::NodePlace>& places, int node) {
  return static_cast<std::size_t>(node) < places.size() &&
         places[static_cast<std::size_t>(node)].longitude &&
         places[static_cast<std::size_t>(node)].latitude;
}

// Scales and moves the points so that they fill the frame, keeping their proportions.
void fit(std::vector<Point>& points, const std::vector<int>& which, const Frame& frame) {
  if (which.empty()) return;
  double minX = points[static_cast<std::size_t>(which[0])].x, maxX = minX;
  double minY = points[static_cast<std::size_t>(which[0])].y, maxY = minY;
  for (int node : which) {
    const Point& p = points[static_cast<std::size_t>(node)];
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const double spanX = maxX - minX;
  const double spanY = maxY - minY;
  double scale = 0.0;
  if (spanX > 0.0 && spanY > 0.0) {
    scale = std::min(frame.width / spanX, frame.height / spanY);
  } else if (spanX > 0.0) {
    scale = frame.width / spanX;
  } else if (spanY > 0.0) {
    scale = frame.height / spanY;
  }
  const double offsetX = frame.left + (frame.width - spanX * scale) / 2.0;
  const double offsetY = frame.top + (frame.height - spanY * scale) / 2.0;
  for (int node : which) {
    Point& p = points[static_cast<std::size_t>(node)];
    p.x = offsetX + (p.x - minX) * scale;
    p.y = offsetY + (p.y - minY) * scale;
  }
}

std::vector<Point> circle(int nodeCount) {
  std::vector<Point> points(static_cast<std::size_t>(nodeCount));
  for (int i = 0; i < nodeCount; ++i) {
    const double angle = 2.0 * std::numbers::pi * i / std::max(nodeCount, 1);
    points[static_cast<std::size_t>(i)] = {std::sin(angle), -std::cos(angle)};
  }
  return points;
}

// Fruchterman and Reingold's springs, a fixed number of rounds with a cooling step, from
// the circle: no randomness, so the same network always gives the same picture.
std::vector<Point> force(int nodeCount, const std::vector<std::pair<int, int>>& links) {
  std::vector<Point> points = circle(nodeCount);
  if (nodeCount < 3) return points;
  const double k = std::sqrt(4.0 / nodeCount);
  // Quadratic in the nodes per round: fewer rounds for very large networks.
  const int rounds = nodeCount > 400 ? 60 : 200;
  double step = 0.2;
  std::vector<Point> shift(points.size());
  for (int round = 0; round < rounds; ++round) {
    std::fill(shift.begin(), shift.end(), Point{});
    for (std::size_t a = 0; a < points.size(); ++a) {
      for (std::size_t b = a + 1; b < points.size(); ++b) {
        double dx = points[a].x - points[b].x;
        double dy = points[a].y - points[b].y;
        const double d2 = std::max(dx * dx + dy * dy, 1e-6);
        const double push = k * k / d2;
        shift[a].x += dx * push;
        shift[a].y += dy * push;
        shift[b].x -= dx * push;
        shift[b].y -= dy * push;
      }
    }
    for (const auto& [from, to] : links) {
      Point& a = points[static_cast<std::size_t>(from)];
      Point& b = points[static_cast<std::size_t>(to)];
      const double dx = a.x - b.x;
      const double dy = a.y - b.y;
      const double pull = std::sqrt(dx * dx + dy * dy) / k;
      shift[static_cast<std::size_t>(from)].x -= dx * pull;
      shift[static_cast<std::size_t>(from)].y -= dy * pull;
      shift[static_cast<std::size_t>(to)].x += dx * pull;
      shift[static_cast<std::size_t>(to)].y += dy * pull;
    }
    for (std::size_t n = 0; n < points.size(); ++n) {
      const double length = std::hypot(shift[n].x, shift[n].y);
      if (length <= 0.0) continue;
      const double move = std::min(length, step);
      points[n].x += shift[n].x / length * move;
      points[n].y += shift[n].y / length * move;
    }
    step *= 0.97;
  }
  return points;
}

}  // namespace

std::optional<Layout> layoutFromName(const std::string& name) {
  if (name == "auto") return Layout::kAuto;
  if (name == "coordinates") return Layout::kCoordinates;
  if (name == "circle") return Layout::kCircle;
  if (name == "force") return Layout::kForce;
  return std::nullopt;
}

Placement placeNodes(const std::vector<topology::NodePlace>& places, int nodeCount,
                     const std::vector<std::pair<int, int>>& links, Layout layout,
                     const Frame& frame) {
  std::vector<int> placed;
  for (int node = 0; node < nodeCount; ++node) {
    if (hasPlace(places, node)) placed.push_back(node);
  }
  if (layout == Layout::kAuto) layout = placed.empty() ? Layout::kCircle : Layout::kCoordinates;
  if (layout == Layout::kCoordinates && placed.empty()) {
    throw std::invalid_argument("no node of the network has coordinates");
  }
  Placement placement;
  placement.layout = layout;
  std::vector<int> all(static_cast<std::size_t>(nodeCount));
  for (int node = 0; node < nodeCount; ++node) all[static_cast<std::size_t>(node)] = node;
  if (layout == Layout::kCircle || layout == Layout::kForce) {
    placement.points = layout == Layout::kCircle ? circle(nodeCount) : force(nodeCount, links);
    fit(placement.points, all, frame);
    return placement;
  }
  double latitudes = 0.0;
  for (int node : placed) latitudes += *places[static_cast<std::size_t>(node)].latitude;
  const double meanLatitude = latitudes / static_cast<double>(placed.size());
  const double squeeze = std::cos(meanLatitude * std::numbers::pi / 180.0);
  placement.points.resize(static_cast<std::size_t>(nodeCount));
  for (int node : placed) {
    const topology::NodePlace& place = places[static_cast<std::size_t>(node)];
    placement.points[static_cast<std::size_t>(node)] = {*place.longitude * squeeze,
                                                        -*place.latitude};
  }
  // The row under the map takes a tenth of the frame when some nodes have no place.
  Frame map = frame;
  for (int node = 0; node < nodeCount; ++node) {
    if (!hasPlace(places, node)) placement.unplaced.push_back(node);
  }
  if (!placement.unplaced.empty()) map.height = frame.height * 0.9;
  fit(placement.points, placed, map);
  const std::size_t row = placement.unplaced.size();
  for (std::size_t i = 0; i < row; ++i) {
    placement.points[static_cast<std::size_t>(placement.unplaced[i])] = {
        frame.left + frame.width * (static_cast<double>(i) + 0.5) / static_cast<double>(row),
        frame.top + frame.height};
  }
  return placement;
}

}  // namespace lab
