#include "lab/chart_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "lab/chart_caption.h"
#include "lab/svg_text.h"

namespace lab {

namespace {

constexpr double kLeft = 70;
constexpr double kRight = kChartWidth - kChartMargin;
constexpr double kTitleSize = 15;
constexpr double kTickSize = 13;
constexpr double kLabelSize = 14;
constexpr double kLegendSize = 13;
constexpr double kLegendRow = 34;
constexpr std::array<const char*, 8> kColours = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                                 "#ff7f0e", "#17becf", "#8c564b", "#e377c2"};
// Lines that overlap stay apart by their dashes and markers, also in grey print.
constexpr std::array<const char*, 4> kDashes = {"", "8,4", "2,3", "10,3,2,3"};
constexpr std::size_t kMarkers = 5;
constexpr const char* kReferenceColour = "#333";
constexpr const char* kReferenceDashes = "5,4";

struct Frame {
  LoadAxis loads;
  BlockingAxis blocking;
  double top = 0;
  double bottom = 0;
  double x(double load) const {
    return kLeft + (load - loads.low) / (loads.high - loads.low) * (kRight - kLeft);
  }
  double y(double p) const {
    const double span = blocking.decadeHigh - blocking.decadeLow;
    return bottom - (std::log10(p) - blocking.decadeLow) / span * (bottom - top);
  }
};

bool placed(const PlotPoint& point) {
  return point.measured && point.value > 0;
}

std::string dashAttribute(const char* dashes) {
  return *dashes != '\0' ? std::string(" stroke-dasharray=\"") + dashes + "\"" : "";
}

BlockingAxis blockingAxisOf(const Plot& plot) {
  double low = std::numeric_limits<double>::max(), high = 0;
  if (plot.reference != nullptr) {
    for (const auto& [load, blocking] : plot.reference->points) {
      if (blocking <= 0) continue;
      low = std::min(low, blocking);
      high = std::max(high, blocking);
    }
  }
  for (const PlotLine& line : plot.lines) {
    for (const PlotPoint& point : line.points) {
      if (!placed(point)) continue;
      const double spread = point.halfWidth.value_or(0.0);
      low = std::min(low, point.value - spread > 0 ? point.value - spread : point.value);
      high = std::max(high, point.value + spread);
    }
  }
  return fitBlockingAxis(low, high);
}

void drawAxes(std::ostream& svg, const Frame& frame, const std::string& yLabel) {
  svg << "<g stroke=\"#ddd\">\n";
  const BlockingAxis& axis = frame.blocking;
  for (int d = axis.decadeLow; d <= axis.decadeHigh; ++d) {
    for (int m = 1; m < 10 && (m == 1 || d < axis.decadeHigh); ++m) {
      const double y = frame.y(m * std::pow(10.0, d));
      svg << "<line x1=\"" << kLeft << "\" x2=\"" << kRight << "\" y1=\"" << y << "\" y2=\"" << y
          << "\"" << (m == 1 ? "" : " stroke-dasharray=\"2,3\"") << "/>\n";
    }
  }
  svg << "</g>\n<g font-size=\"" << kTickSize << "\" fill=\"#000\">\n";
  for (int d = axis.decadeLow; d <= axis.decadeHigh; ++d) {
    svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << frame.y(std::pow(10.0, d)) + 4
        << "\" text-anchor=\"end\">1e" << d << "</text>\n";
    // Within a single decade, its inner ticks are labelled too.
    if (axis.decadeHigh - axis.decadeLow > 1 || d == axis.decadeHigh) continue;
    for (int m : {2, 5}) {
      svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << frame.y(m * std::pow(10.0, d)) + 4
          << "\" text-anchor=\"end\" font-size=\"" << kTickSize - 1 << "\">" << m << "e" << d
          << "</text>\n";
    }
  }
  for (double load : frame.loads.ticks()) {
    const double x = frame.x(load);
    svg << "<line x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << frame.bottom << "\" y2=\""
        << frame.bottom + 5 << "\" stroke=\"#000\"/>\n<text x=\"" << x << "\" y=\""
        << frame.bottom + 19 << "\" text-anchor=\"middle\">" << svgNumber(load) << "</text>\n";
  }
  svg << "</g>\n<rect x=\"" << kLeft << "\" y=\"" << frame.top << "\" width=\"" << kRight - kLeft
      << "\" height=\"" << frame.bottom - frame.top << "\" fill=\"none\" stroke=\"#000\"/>\n";
  svg << "<text x=\"" << (kLeft + kRight) / 2 << "\" y=\"" << frame.bottom + 38 << "\" font-size=\""
      << kLabelSize << "\" text-anchor=\"middle\">Offered load per pair (Erlang)</text>\n";
  svg << "<text transform=\"translate(" << kLabelSize + 4 << "," << (frame.top + frame.bottom) / 2
      << ") rotate(-90)\" font-size=\"" << kLabelSize << "\" text-anchor=\"middle\">"
      << svgEscaped(yLabel) << "</text>\n";
}

void drawMarker(std::ostream& svg, std::size_t kind, double x, double y) {
  switch (kind % kMarkers) {
    case 0:
      svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"3.5\"/>\n";
      break;
    case 1:
      svg << "<rect x=\"" << x - 3.5 << "\" y=\"" << y - 3.5 << "\" width=\"7\" height=\"7\"/>\n";
      break;
    case 2:
      svg << "<path d=\"M" << x << ',' << y - 4.5 << "l4.5,8h-9z\"/>\n";
      break;
    case 3:
      svg << "<path d=\"M" << x << ',' << y - 5 << "l5,5l-5,5l-5,-5z\"/>\n";
      break;
    default:
      svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"3.5\" fill=\"#fff\"/>\n";
      break;
  }
}

void drawErrorBar(std::ostream& svg, const Frame& frame, const PlotPoint& point) {
  const double x = frame.x(point.load);
  const double y = frame.y(point.value);
  const double low = point.value - *point.halfWidth;
  const double yHigh = std::max(frame.y(point.value + *point.halfWidth), frame.top);
  if (low > 0) {
    const double yLow = std::min(frame.y(low), frame.bottom);
    svg << "<path class=\"error-bar\" d=\"M" << x << ',' << yLow << "V" << yHigh << "M" << x - 4
        << ',' << yLow << "h8M" << x - 4 << ',' << yHigh << "h8\" fill=\"none\"/>\n";
  } else {
    // The interval reaches 0, which a log scale cannot show: a short stub, cut.
    const double yCut = std::min(y + 16, frame.bottom);
    svg << "<path class=\"error-bar\" d=\"M" << x << ',' << yCut << "V" << yHigh << "M" << x - 4
        << ',' << yHigh << "h8M" << x - 5 << ',' << yCut + 2 << "l10,-4M" << x - 5 << ','
        << yCut + 5 << "l10,-4\" fill=\"none\"/>\n";
  }
}

void drawLine(std::ostream& svg, const Frame& frame, const PlotLine& line) {
  const char* colour = kColours[line.style % kColours.size()];
  std::string path;
  for (const PlotPoint& point : line.points) {
    if (!placed(point)) continue;
    path += svgNumber(frame.x(point.load)) + "," + svgNumber(frame.y(point.value)) + " ";
  }
  svg << "<g stroke=\"" << colour << "\" fill=\"" << colour << "\">\n<polyline points=\"" << path
      << "\" fill=\"none\" stroke-width=\"2\""
      << dashAttribute(kDashes[line.style % kDashes.size()]) << "/>\n";
  for (const PlotPoint& point : line.points) {
    if (!placed(point)) continue;
    if (point.halfWidth) drawErrorBar(svg, frame, point);
    drawMarker(svg, line.style, frame.x(point.load), frame.y(point.value));
  }
  svg << "</g>\n";
}

// Blocking of 0 has no place on a log scale: the line runs between the others.
void drawReference(std::ostream& svg, const Frame& frame,
                   const experiment::ReferenceCurve& reference) {
  std::string path;
  for (const auto& [load, blocking] : reference.points) {
    if (blocking <= 0) continue;
    path += svgNumber(frame.x(load)) + "," + svgNumber(frame.y(blocking)) + " ";
  }
  svg << "<polyline points=\"" << path << "\" fill=\"none\" stroke=\"" << kReferenceColour
      << "\" stroke-width=\"1.5\" stroke-dasharray=\"" << kReferenceDashes << "\"/>\n";
}

// The line's policies as the legend names them: the wavelength policy too when the plot
// has lines of several, or a plug-in's.
std::string lineName(const Plot& plot, const PlotLine& line) {
  std::set<std::pair<std::int32_t, std::string>> paths;
  std::set<std::string> wavelengths;
  for (const PlotLine& other : plot.lines) {
    paths.emplace(other.policy, other.pathPolicy);
    wavelengths.insert(other.wavelengthPolicy);
  }
  std::string name = line.pathPolicy.empty()
                         ? seriesName(line.policy, plot.onePath, paths.size() > 1)
                         : pluginPolicyName(line.pathPolicy);
  if (wavelengths.size() > 1 || !line.wavelengthPolicy.empty()) {
    name += " with ";
    name += line.wavelengthPolicy.empty() ? std::string("most-free")
                                          : pluginPolicyName(line.wavelengthPolicy);
  }
  return name;
}

struct LegendEntry {
  std::string name;
  std::string detail;
  // The line's style; none for the reference.
  std::optional<std::size_t> style;
};

std::vector<LegendEntry> legendEntries(const Plot& plot) {
  std::vector<LegendEntry> entries;
  for (const PlotLine& line : plot.lines) {
    if (!line.drawn()) continue;
    entries.push_back({lineName(plot, line), refreshName(line.interval), line.style});
  }
  if (plot.reference != nullptr) {
    entries.push_back({plot.reference->name, "theory: 1 path, full conversion", std::nullopt});
  }
  return entries;
}

double drawLegend(std::ostream& svg, const Plot& plot, double top) {
  const std::vector<LegendEntry> entries = legendEntries(plot);
  constexpr double kSample = 30;
  const double columnWidth = (kRight - kLeft) / 2;
  double widest = 0;
  for (const LegendEntry& entry : entries) {
    widest = std::max(
        {widest, textWidth(entry.name, kLegendSize), textWidth(entry.detail, kLegendSize - 1)});
  }
  const std::size_t columns = widest + kSample + 12 <= columnWidth ? 2 : 1;
  svg << "<g class=\"legend\">\n";
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const LegendEntry& entry = entries[k];
    const double x = kLeft + columnWidth * static_cast<double>(k % columns);
    const double y = top + kLegendRow * static_cast<double>(k / columns) + 8;
    if (entry.style) {
      const char* colour = kColours[*entry.style % kColours.size()];
      svg << "<g stroke=\"" << colour << "\" fill=\"" << colour << "\"><line x1=\"" << x
          << "\" x2=\"" << x + kSample << "\" y1=\"" << y << "\" y2=\"" << y
          << "\" stroke-width=\"2\"" << dashAttribute(kDashes[*entry.style % kDashes.size()])
          << "/>\n";
      drawMarker(svg, *entry.style, x + kSample / 2, y);
      svg << "</g>\n";
    } else {
      svg << "<line x1=\"" << x << "\" x2=\"" << x + kSample << "\" y1=\"" << y << "\" y2=\"" << y
          << "\" stroke=\"" << kReferenceColour << "\" stroke-width=\"1.5\" stroke-dasharray=\""
          << kReferenceDashes << "\"/>\n";
    }
    svg << "<text x=\"" << x + kSample + 6 << "\" y=\"" << y + 4 << "\" font-size=\"" << kLegendSize
        << "\">" << svgEscaped(entry.name) << "</text>\n<text x=\"" << x + kSample + 6 << "\" y=\""
        << y + 18 << "\" font-size=\"" << kLegendSize - 1 << "\" fill=\"#444\">"
        << svgEscaped(entry.detail) << "</text>\n";
  }
  svg << "</g>\n";
  const std::size_t rows = (entries.size() + columns - 1) / columns;
  return top + kLegendRow * static_cast<double>(rows);
}

}  // namespace

bool PlotLine::drawn() const {
  return std::any_of(points.begin(), points.end(), placed);
}

std::vector<PlotLine> plotLines(const std::vector<experiment::CurvePoint>& points,
                                const PointValue& value) {
  std::vector<PlotLine> lines;
  for (const experiment::CurvePoint& point : points) {
    if (lines.empty() || lines.back().policy != point.key.policy ||
        lines.back().pathPolicy != point.key.pathPolicy ||
        lines.back().wavelengthPolicy != point.key.wavelengthPolicy ||
        lines.back().interval != point.key.interval) {
      lines.push_back({point.key.policy,
                       point.key.interval,
                       point.key.pathPolicy,
                       point.key.wavelengthPolicy,
                       lines.size(),
                       {}});
    }
    lines.back().points.push_back(value(point));
  }
  return lines;
}

LoadAxis plotLoadAxis(const std::vector<experiment::CurvePoint>& points,
                      const experiment::ReferenceCurve* reference) {
  double lowest = std::numeric_limits<double>::max(), highest = 0;
  for (const experiment::CurvePoint& point : points) {
    lowest = std::min(lowest, point.key.load);
    highest = std::max(highest, point.key.load);
  }
  if (reference != nullptr) {
    for (const auto& [load, blocking] : reference->points) {
      lowest = std::min(lowest, load);
      highest = std::max(highest, load);
    }
  }
  return fitLoadAxis(lowest, highest);
}

double drawPlot(std::ostream& svg, const Plot& plot, double top) {
  double y = top;
  for (const std::string& line : wrapText(plot.title, kChartWidth - 2 * kChartMargin, kTitleSize)) {
    y += kTitleSize + 5;
    svg << "<text x=\"" << kChartWidth / 2 << "\" y=\"" << y << "\" font-size=\"" << kTitleSize
        << "\" text-anchor=\"middle\">" << svgEscaped(line) << "</text>\n";
  }
  Frame frame{plot.loads, blockingAxisOf(plot), y + 12, y + 12 + plot.height};
  drawAxes(svg, frame, plot.yLabel);
  for (const PlotLine& line : plot.lines) drawLine(svg, frame, line);
  if (plot.reference != nullptr) drawReference(svg, frame, *plot.reference);
  return drawLegend(svg, plot, frame.bottom + 52);
}

std::string undrawnNote(const Plot& plot) {
  std::string note;
  for (const PlotLine& line : plot.lines) {
    std::string loads;
    for (const PlotPoint& point : line.points) {
      if (placed(point)) continue;
      if (!loads.empty()) loads += ", ";
      loads += svgNumber(point.load);
    }
    if (loads.empty()) continue;
    if (!note.empty()) note += "; ";
    note += lineName(plot, line);
    note += ", ";
    note += refreshName(line.interval);
    note += line.drawn() ? " (load " + loads + ")" : std::string(" (any load)");
  }
  return note.empty() ? note : "Not drawn (none blocked): " + note + ".";
}

bool hasErrorBars(const Plot& plot) {
  for (const PlotLine& line : plot.lines) {
    for (const PlotPoint& point : line.points) {
      if (placed(point) && point.halfWidth) return true;
    }
  }
  return false;
}

double drawParagraph(std::ostream& svg, const std::string& text, double top, double fontSize,
                     const std::string& colour) {
  double y = top;
  for (const std::string& line : wrapText(text, kChartWidth - 2 * kChartMargin, fontSize)) {
    y += fontSize + 4;
    svg << "<text class=\"caption\" x=\"" << kChartMargin << "\" y=\"" << y << "\" font-size=\""
        << fontSize << "\" fill=\"" << colour << "\">" << svgEscaped(line) << "</text>\n";
  }
  return y;
}

std::string withErrorBarNote(const std::string& caption, bool errorBars) {
  if (!errorBars) return caption;
  return caption + (caption.empty() ? "" : " ") +
         "Error bars: 95% confidence intervals of the mean over seeds.";
}

std::string chartDocument(const std::string& body, double height, const std::string& description) {
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kChartWidth << "\" height=\""
      << height << "\" viewBox=\"0 0 " << kChartWidth << ' ' << height
      << "\" font-family=\"sans-serif\">\n<desc>" << svgEscaped(description)
      << "</desc>\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
      << body << "</svg>\n";
  return svg.str();
}

}  // namespace lab
