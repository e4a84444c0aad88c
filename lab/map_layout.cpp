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

using Adjacency = std::vector<std::vector<std::size_t>>;

Adjacency adjacencyOf(int nodeCount, const std::vector<std::pair<int, int>>& links) {
  Adjacency next(static_cast<std::size_t>(nodeCount));
  for (const auto& [a, b] : links) {
    if (a == b) continue;
    next[static_cast<std::size_t>(a)].push_back(static_cast<std::size_t>(b));
    next[static_cast<std::size_t>(b)].push_back(static_cast<std::size_t>(a));
  }
  return next;
}

// How far apart the springs hold linked nodes: the median link between nodes with
// coordinates, so that guessed nodes look like their region, within sensible bounds.
double springLength(const std::vector<Point>& points, const std::vector<bool>& fixed,
                    const std::vector<std::pair<int, int>>& links, const Frame& frame) {
  std::vector<double> lengths;
  for (const auto& [a, b] : links) {
    const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b);
    if (!fixed[i] || !fixed[j]) continue;
    const double length = std::hypot(points[i].x - points[j].x, points[i].y - points[j].y);
    if (length > 0.0) lengths.push_back(length);
  }
  const double side = std::min(frame.width, frame.height);
  double length = side / std::sqrt(static_cast<double>(std::max<std::size_t>(points.size(), 1)));
  if (!lengths.empty()) {
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    length = lengths[lengths.size() / 2];
  }
  return std::clamp(length, side / 40.0, side / 8.0);
}

// Where the springs start: each moving node a spring's length from the mean of its neighbours
// already started, in rounds outwards from the fixed nodes, each node's turn around the
// neighbour it hangs from a golden angle on from the last, so that leaves fan out. Nodes no
// fixed node reaches start on a ring about the middle.
void startMoving(std::vector<Point>& points, const std::vector<bool>& fixed, const Adjacency& next,
                 double length, const Frame& frame) {
  constexpr double kGoldenAngle = 2.39996322972865332;
  std::vector<bool> started = fixed;
  std::vector<int> turns(points.size(), 0);
  for (bool grew = true; grew;) {
    grew = false;
    std::vector<std::pair<std::size_t, Point>> round;
    for (std::size_t n = 0; n < points.size(); ++n) {
      if (started[n]) continue;
      Point mean;
      std::size_t count = 0, hub = n;
      for (std::size_t m : next[n]) {
        if (!started[m]) continue;
        if (count == 0) hub = m;
        mean.x += points[m].x;
        mean.y += points[m].y;
        ++count;
      }
      if (count == 0) continue;
      const double angle = kGoldenAngle * turns[hub]++;
      round.push_back({n,
                       {mean.x / static_cast<double>(count) + length * std::cos(angle),
                        mean.y / static_cast<double>(count) + length * std::sin(angle)}});
    }
    for (const auto& [n, point] : round) {
      points[n] = point;
      started[n] = true;
      grew = true;
    }
  }
  const std::size_t stray =
      static_cast<std::size_t>(std::count(started.begin(), started.end(), false));
  std::size_t i = 0;
  for (std::size_t n = 0; n < points.size(); ++n) {
    if (started[n]) continue;
    const double angle =
        2.0 * std::numbers::pi * static_cast<double>(i++) / static_cast<double>(stray);
    points[n] = {frame.left + frame.width / 2.0 + frame.width / 4.0 * std::sin(angle),
                 frame.top + frame.height / 2.0 - frame.height / 4.0 * std::cos(angle)};
  }
}

// Fruchterman and Reingold's springs on the moving nodes only, in drawing units, kept inside
// the frame. Repulsion reaches three spring lengths, so a guessed node makes room around
// itself without being pushed away from the region its neighbours are in.
void settleMoving(std::vector<Point>& points, const std::vector<bool>& fixed, const Adjacency& next,
                  double length, const Frame& frame) {
  std::vector<std::size_t> moving;
  for (std::size_t n = 0; n < points.size(); ++n) {
    if (!fixed[n]) moving.push_back(n);
  }
  const double reach = 1.5 * length;
  double step = length;
  std::vector<Point> shift(moving.size());
  for (int round = 0; round < 150; ++round) {
    for (std::size_t i = 0; i < moving.size(); ++i) {
      const std::size_t a = moving[i];
      Point push;
      for (std::size_t b = 0; b < points.size(); ++b) {
        if (b == a) continue;
        double dx = points[a].x - points[b].x;
        double dy = points[a].y - points[b].y;
        double distance = std::hypot(dx, dy);
        if (distance >= reach) continue;
        if (distance < 1e-6) {
          // Nodes on one spot part in a direction fixed by their numbers.
          const double angle = static_cast<double>(a * 7 + b);
          dx = std::cos(angle);
          dy = std::sin(angle);
          distance = 1e-6;
        } else {
          dx /= distance;
          dy /= distance;
        }
        const double force = length * length / std::max(distance, 1.0);
        push.x += dx * force;
        push.y += dy * force;
      }
      for (std::size_t b : next[a]) {
        const double dx = points[b].x - points[a].x;
        const double dy = points[b].y - points[a].y;
        const double pull = std::hypot(dx, dy) / length;
        push.x += dx * pull;
        push.y += dy * pull;
      }
      shift[i] = push;
    }
    for (std::size_t i = 0; i < moving.size(); ++i) {
      Point& p = points[moving[i]];
      const double size = std::hypot(shift[i].x, shift[i].y);
      if (size > 0.0) {
        const double move = std::min(size, step);
        p.x += shift[i].x / size * move;
        p.y += shift[i].y / size * move;
      }
      // Also a node the forces balance outside, where it may have started.
      p.x = std::clamp(p.x, frame.left, frame.left + frame.width);
      p.y = std::clamp(p.y, frame.top, frame.top + frame.height);
    }
    step = std::max(step * 0.96, length / 100.0);
  }
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
  fit(placement.points, placed, frame);
  std::vector<bool> fixed(static_cast<std::size_t>(nodeCount), false);
  for (int node : placed) fixed[static_cast<std::size_t>(node)] = true;
  for (int node = 0; node < nodeCount; ++node) {
    if (!fixed[static_cast<std::size_t>(node)]) placement.withoutCoordinates.push_back(node);
  }
  if (placement.withoutCoordinates.empty()) return placement;
  const Adjacency next = adjacencyOf(nodeCount, links);
  const double length = springLength(placement.points, fixed, links, frame);
  startMoving(placement.points, fixed, next, length, frame);
  settleMoving(placement.points, fixed, next, length, frame);
  return placement;
}

}  // namespace lab
