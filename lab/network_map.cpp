#include "lab/network_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "lab/svg_text.h"

namespace lab {

namespace {

constexpr double kWidth = 1100.0;
constexpr double kMapBottom = 690.0;
constexpr Frame kFrame{60.0, 60.0, 740.0, 610.0};
constexpr double kLegendLeft = 870.0;
constexpr const char* kNoValue = "#b8b8b8";
constexpr const char* kOutline = "#111111";

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Up to four significant digits, as a legend shows a scale's values.
// Four significant digits, but whole numbers of thousands and more as they are: a count of
// 14052 reads better than 1.405e+04.
std::string shortNumber(double value) {
  char text[32];
  if (std::fabs(value) >= 1000.0 && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else {
    std::snprintf(text, sizeof text, "%.4g", value);
  }
  return text;
}

std::size_t codePoints(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

struct Box {
  double left, top, right, bottom;
  bool overlaps(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

// Which names to show: busier nodes first, each unless it would overlap one already shown.
std::vector<bool> thinLabels(const NetworkMap& map, const std::vector<Point>& points, double radius,
                             double fontSize) {
  const std::size_t count = map.names.size();
  std::vector<int> degree(count, 0);
  for (const auto& [a, b] : map.links) {
    ++degree[static_cast<std::size_t>(a)];
    ++degree[static_cast<std::size_t>(b)];
  }
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return degree[a] > degree[b]; });
  std::vector<Box> shown;
  std::vector<Box> circles;
  for (const Point& p : points) {
    circles.push_back(Box{p.x - radius, p.y - radius, p.x + radius, p.y + radius});
  }
  std::vector<bool> show(count, false);
  for (std::size_t node : order) {
    const Point& p = points[node];
    const double width = 0.6 * fontSize * static_cast<double>(codePoints(map.names[node]));
    const Box box{p.x + radius + 4.0, p.y - fontSize / 2.0, p.x + radius + 4.0 + width,
                  p.y + fontSize / 2.0};
    if (std::any_of(shown.begin(), shown.end(), [&](const Box& b) { return b.overlaps(box); })) {
      continue;
    }
    bool coversNode = false;
    for (std::size_t other = 0; other < count && !coversNode; ++other) {
      coversNode = other != node && circles[other].overlaps(box);
    }
    if (coversNode) continue;
    shown.push_back(box);
    show[node] = true;
  }
  return show;
}

double largest(const std::vector<double>& values) {
  double most = 0.0;
  for (double v : values) most = std::max(most, v);
  return most;
}

// A value's colour on a scale from 0 to `most`; grey for 0, so that what blocked stands out.
std::string colourOf(std::optional<double> value, double most) {
  if (!value || !(*value > 0.0) || !(most > 0.0)) return kNoValue;
  return scaleColour(*value / most);
}

// A scale from just above 0 to `most`, then the grey of 0 and, for nodes, the white of a
// node that offered no call. Returns the height under the scale's last entry.
double writeScale(std::ostringstream& svg, double top, const std::string& heading, double most,
                  bool percent, bool nodes) {
  auto value = [&](double v) { return percent ? shortNumber(100.0 * v) + "%" : shortNumber(v); };
  svg << "<g class=\"legend\"><text x=\"" << kLegendLeft << "\" y=\"" << top
      << "\" font-weight=\"bold\">" << svgEscaped(heading) << "</text>\n";
  double below = top + 10;
  if (most > 0.0) {
    const int steps = 10;
    for (int i = 0; i < steps; ++i) {
      svg << "<rect class=\"scale-step\" x=\"" << kLegendLeft << "\" y=\""
          << number(top + 10 + i * 16) << "\" width=\"24\" height=\"16\" fill=\""
          << scaleColour((i + 0.5) / steps) << "\"/>\n";
    }
    for (int tick = 0; tick <= 4; ++tick) {
      svg << "<text class=\"scale-value\" x=\"" << kLegendLeft + 30 << "\" y=\""
          << number(top + 14 + tick * 40.0) << "\">"
          << (tick == 0 ? std::string("just above 0") : value(most * tick / 4.0)) << "</text>\n";
    }
    below = top + 178;
  }
  svg << "<rect x=\"" << kLegendLeft << "\" y=\"" << below
      << "\" width=\"24\" height=\"10\" fill=\"" << kNoValue << "\"/><text x=\"" << kLegendLeft + 30
      << "\" y=\"" << below + 10 << "\">" << value(0.0) << (most > 0.0 ? " (none)" : " (all)")
      << "</text>\n";
  if (nodes) {
    svg << "<rect x=\"" << kLegendLeft << "\" y=\"" << below + 16
        << "\" width=\"24\" height=\"10\" fill=\"white\" stroke=\"#333333\"/><text x=\""
        << kLegendLeft + 30 << "\" y=\"" << below + 26 << "\">offers no call</text>\n";
    below += 16;
  }
  svg << "</g>\n";
  return below + 10;
}

std::vector<std::string> placementWords(const Placement& placement, std::size_t nodes) {
  switch (placement.layout) {
    case Layout::kCoordinates: {
      std::vector<std::string> words = {
          "Nodes placed by longitude and latitude (equirectangular, longitude scaled by the "
          "cosine of the mean latitude, north up)."};
      if (!placement.withoutCoordinates.empty()) {
        words.push_back(std::to_string(placement.withoutCoordinates.size()) + " of " +
                        std::to_string(nodes) +
                        " nodes have no coordinates: placed by springs among their neighbours, "
                        "the others held where they are (their tooltips say so).");
      }
      return words;
    }
    case Layout::kForce:
      return {
          "No coordinates used: spring layout started from a circle, the same for the same "
          "network."};
    default:
      return {
          "No coordinates used: nodes on a circle in node order, node 0 at the top, clockwise."};
  }
}

std::string measureWords(LinkMeasure measure) {
  switch (measure) {
    case LinkMeasure::kOccupancy:
      return "mean occupancy (busy wavelength-fibres over capacity; both directions share it)";
    case LinkMeasure::kAssignment:
      return "the assignment's blocking events (types 0 to 3) per counted tick, both directions "
             "summed; update errors left out";
    case LinkMeasure::kUpdateErrors:
      return "hops refused by update errors (type 4) per counted tick, both directions summed; "
             "the assignment's blocking left out";
    case LinkMeasure::kBlocking:
      break;
  }
  return "blocking events of every cause per counted tick (the assignment's, types 0 to 3, "
         "and hops refused by update errors, type 4), both directions summed";
}

std::string scaleHeading(LinkMeasure measure) {
  switch (measure) {
    case LinkMeasure::kOccupancy:
      return "Link: mean occupancy";
    case LinkMeasure::kAssignment:
      return "Link: assignment blocking / tick";
    case LinkMeasure::kUpdateErrors:
      return "Link: update errors / tick";
    case LinkMeasure::kBlocking:
      break;
  }
  return "Link: blocking events / tick";
}

std::string runsWords(const MapResult& result) {
  std::string seeds;
  for (std::uint64_t seed : result.seeds) {
    if (!seeds.empty()) seeds += ", ";
    seeds += std::to_string(seed);
  }
  std::string words =
      result.runs == 1 ? "one run" : "the mean of " + std::to_string(result.runs) + " runs";
  if (!seeds.empty()) words += (result.runs == 1 ? " (seed " : " (seeds ") + seeds + ")";
  return words;
}

std::string linkTip(const LinkRates& link) {
  return ": blocking events per tick " + shortNumber(link.assignment + link.updateErrors) +
         " (assignment " + shortNumber(link.assignment) + ", update errors " +
         shortNumber(link.updateErrors) + "), mean occupancy " + shortNumber(link.occupancy);
}

std::string nodeTip(const MapResult& result, std::size_t n) {
  const std::optional<double>& blocking = result.originBlocking[n];
  std::string tip = blocking ? ", blocking of its calls " + shortNumber(100.0 * *blocking) + "%"
                             : ", offers no call";
  if (result.shortPairs[n] + result.limitedPairs[n] > 0) {
    tip += ", " + std::to_string(result.shortPairs[n]) + " pair(s) short of paths, " +
           std::to_string(result.limitedPairs[n]) + " stopped at the search limit";
  }
  if (result.pathlessPairs[n] > 0) {
    tip += ", " + std::to_string(result.pathlessPairs[n]) + " pair(s) without a path";
  }
  return tip;
}

// What the colours and outlines mean.
void describeResult(std::vector<std::string>& caption, const MapResult& result) {
  std::int64_t shortPairs = 0, limitedPairs = 0, outlined = 0;
  for (std::size_t n = 0; n < result.originBlocking.size(); ++n) {
    shortPairs += result.shortPairs[n];
    limitedPairs += result.limitedPairs[n];
    if (result.pathlessPairs[n] > 0) ++outlined;
  }
  caption.push_back("Links coloured by " + measureWords(result.measure) + ".");
  caption.push_back("Values are " + runsWords(result) + "; " + result.routing + " routing.");
  std::string nodes = "Nodes coloured by the blocking probability of the calls they originate";
  if (outlined > 0) {
    nodes +=
        "; " + std::to_string(outlined) + " outlined originate pairs without any candidate path";
  }
  caption.push_back(nodes + ".");
  caption.push_back("Paths: " + std::to_string(shortPairs) + " pair(s) with fewer than " +
                    std::to_string(result.askedPaths) + " distinct candidate paths, " +
                    std::to_string(limitedPairs) +
                    " whose search stopped at its limit (each node's tooltip gives its own).");
}

}  // namespace

std::string scaleColour(double fraction) {
  static constexpr std::array<std::array<double, 3>, 5> kStops = {
      {{254, 217, 118}, {254, 178, 76}, {253, 141, 60}, {240, 59, 32}, {189, 0, 38}}};
  const double at = std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0) * 4.0;
  const std::size_t low = std::min<std::size_t>(static_cast<std::size_t>(at), 3);
  const double t = at - static_cast<double>(low);
  char text[8];
  std::array<int, 3> rgb{};
  for (std::size_t c = 0; c < 3; ++c) {
    rgb[c] =
        static_cast<int>(std::lround(kStops[low][c] + (kStops[low + 1][c] - kStops[low][c]) * t));
  }
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return text;
}

std::string networkMapSvg(const NetworkMap& map, Layout layout) {
  const std::size_t nodes = map.names.size();
  const Placement placement =
      placeNodes(map.places, static_cast<int>(nodes), map.links, layout, kFrame);
  const std::vector<Point>& points = placement.points;
  const bool dense = nodes > 100;
  const double radius = dense ? 3.5 : (nodes > 30 ? 5.5 : 8.0);
  const double fontSize = dense ? 9.0 : 11.0;
  const std::optional<MapResult>& result = map.result;
  std::vector<bool> guessed(nodes, false);
  for (int node : placement.withoutCoordinates) guessed[static_cast<std::size_t>(node)] = true;

  std::vector<std::string> caption;
  caption.push_back(std::to_string(nodes) + " nodes, " + std::to_string(map.links.size()) +
                    " links (the two directions of a link drawn as one line).");
  for (std::string& words : placementWords(placement, nodes)) caption.push_back(std::move(words));
  std::vector<double> linkValues;
  double originMost = 0.0;
  bool anyOutlined = false;
  if (result) {
    for (const LinkRates& link : result->links) {
      linkValues.push_back(linkValue(link, result->measure));
    }
    for (std::size_t n = 0; n < nodes; ++n) {
      originMost = std::max(originMost, result->originBlocking[n].value_or(0.0));
      anyOutlined = anyOutlined || result->pathlessPairs[n] > 0;
    }
    describeResult(caption, *result);
  }
  const double linkMost = largest(linkValues);
  const std::vector<bool> show = thinLabels(map, points, radius, fontSize);
  const auto shown = std::count(show.begin(), show.end(), true);
  caption.push_back(std::to_string(shown) + " of " + std::to_string(nodes) +
                    " names shown: a name that would overlap a name already placed or another "
                    "node is left out, nodes with more links placed first; every node's tooltip "
                    "names it.");

  const double height = kMapBottom + 40.0 + 18.0 * static_cast<double>(caption.size());
  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
      << number(height) << "\" viewBox=\"0 0 " << kWidth << " " << number(height)
      << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
      << "<text x=\"" << kFrame.left << "\" y=\"30\" font-size=\"18\" font-weight=\"bold\">"
      << svgEscaped(map.title) << "</text>\n<g class=\"links\">\n";
  for (std::size_t i = 0; i < map.links.size(); ++i) {
    const auto [a, b] = map.links[i];
    const Point& p = points[static_cast<std::size_t>(a)];
    const Point& q = points[static_cast<std::size_t>(b)];
    std::string tip =
        map.names[static_cast<std::size_t>(a)] + " - " + map.names[static_cast<std::size_t>(b)];
    std::string colour = "#7a7a7a";
    if (result) {
      colour = colourOf(linkValues[i], linkMost);
      tip += linkTip(result->links[i]);
    }
    svg << "<line class=\"link\" data-from=\"" << a << "\" data-to=\"" << b << "\" x1=\""
        << number(p.x) << "\" y1=\"" << number(p.y) << "\" x2=\"" << number(q.x) << "\" y2=\""
        << number(q.y) << "\" stroke=\"" << colour << "\" stroke-width=\""
        << (result ? 3 : (dense ? 1 : 1.5)) << "\"><title>" << svgEscaped(tip)
        << "</title></line>\n";
  }
  svg << "</g>\n<g class=\"nodes\">\n";
  for (std::size_t n = 0; n < nodes; ++n) {
    std::string tip = std::to_string(n) + ": " + map.names[n];
    if (guessed[n]) tip += " (no coordinates: placed among its neighbours)";
    std::string fill = "#3f6fb0";
    bool outlined = false;
    if (result) {
      fill = result->originBlocking[n] ? colourOf(result->originBlocking[n], originMost) : "white";
      tip += nodeTip(*result, n);
      outlined = result->pathlessPairs[n] > 0;
    }
    svg << "<circle class=\"node" << (outlined ? " pathless" : "") << "\" id=\"node-" << n
        << "\" cx=\"" << number(points[n].x) << "\" cy=\"" << number(points[n].y) << "\" r=\""
        << (outlined ? radius + 1.0 : radius) << "\" fill=\"" << fill << "\" stroke=\""
        << (outlined ? kOutline : "#333333") << "\" stroke-width=\"" << (outlined ? "2.5" : "1")
        << "\"><title>" << svgEscaped(tip) << "</title></circle>\n";
  }
  svg << "</g>\n<g class=\"labels\" font-size=\"" << fontSize << "\">\n";
  for (std::size_t n = 0; n < nodes; ++n) {
    if (!show[n]) continue;
    svg << "<text class=\"label\" x=\"" << number(points[n].x + radius + 4.0) << "\" y=\""
        << number(points[n].y + fontSize * 0.35) << "\">" << svgEscaped(map.names[n])
        << "</text>\n";
  }
  svg << "</g>\n";
  if (result) {
    writeScale(svg, 80.0, scaleHeading(result->measure), linkMost,
               result->measure == LinkMeasure::kOccupancy, false);
    const double below =
        writeScale(svg, 330.0, "Node: blocking of its calls", originMost, true, true);
    if (anyOutlined) {
      svg << "<g class=\"legend\"><circle cx=\"" << kLegendLeft + 12 << "\" cy=\""
          << number(below + 1) << "\" r=\"5\" fill=\"white\" stroke=\"" << kOutline
          << "\" stroke-width=\"2.5\"/><text x=\"" << kLegendLeft + 30 << "\" y=\""
          << number(below + 5) << "\">originates a pair with no path</text></g>\n";
    }
  }
  for (std::size_t i = 0; i < caption.size(); ++i) {
    svg << "<text class=\"caption\" x=\"" << kFrame.left << "\" y=\""
        << number(kMapBottom + 40.0 + 18.0 * static_cast<double>(i)) << "\" font-size=\"11\">"
        << svgEscaped(caption[i]) << "</text>\n";
  }
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace lab
