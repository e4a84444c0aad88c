#include "lab/svg_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <utility>

namespace lab {

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 530;
constexpr double kLeft = 80;
constexpr double kRight = 560;
constexpr double kTop = 50;
constexpr double kBottom = 410;
constexpr std::array<const char*, 8> kColours = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                                 "#ff7f0e", "#17becf", "#8c564b", "#e377c2"};
// Lines that overlap stay apart by their dashes and markers, also in grey print.
constexpr std::array<const char*, 4> kDashes = {"", "8,4", "2,3", "10,3,2,3"};
constexpr std::size_t kMarkers = 5;

using Series =
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<const experiment::CurvePoint*>>;

struct Scale {
  double xMin = 0, xMax = 1, xStep = 1;
  int decadeLow = -3, decadeHigh = 0;
  double x(double load) const { return kLeft + (load - xMin) / (xMax - xMin) * (kRight - kLeft); }
  double y(double p) const {
    const double span = decadeHigh - decadeLow;
    return kBottom - (std::log10(p) - decadeLow) / span * (kBottom - kTop);
  }
};

double niceStep(double range) {
  const double raw = range / 6.0;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (raw <= factor * magnitude) return factor * magnitude;
  }
  return 10.0 * magnitude;
}

Scale scaleOf(const std::vector<experiment::CurvePoint>& points,
              const experiment::ReferenceCurve* reference) {
  Scale scale;
  double loadMax = 0, low = std::numeric_limits<double>::max(), high = 0;
  if (reference != nullptr) {
    for (const auto& [load, blocking] : reference->points) {
      loadMax = std::max(loadMax, load);
      if (blocking <= 0) continue;
      low = std::min(low, blocking);
      high = std::max(high, blocking);
    }
  }
  for (const experiment::CurvePoint& point : points) {
    loadMax = std::max(loadMax, point.key.load);
    if (!point.measured || point.meanBlocking <= 0) continue;
    const double spread = point.halfWidth.value_or(0.0);
    low = std::min(
        low, point.meanBlocking - spread > 0 ? point.meanBlocking - spread : point.meanBlocking);
    high = std::max(high, point.meanBlocking + spread);
  }
  scale.xStep = niceStep(loadMax > 0 ? loadMax : 1.0);
  scale.xMax = std::ceil((loadMax > 0 ? loadMax : 1.0) / scale.xStep) * scale.xStep;
  if (high > 0) {
    scale.decadeLow = static_cast<int>(std::floor(std::log10(low)));
    scale.decadeHigh = std::max(static_cast<int>(std::ceil(std::log10(high))), scale.decadeLow + 1);
    scale.decadeHigh = std::min(scale.decadeHigh, 0);
    scale.decadeLow = std::min(scale.decadeLow, scale.decadeHigh - 1);
  }
  return scale;
}

std::string number(double value) {
  std::ostringstream text;
  text.precision(6);
  text << value;
  return text.str();
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

void drawAxes(std::ostringstream& svg, const Scale& scale) {
  svg << "<g stroke=\"#ddd\">\n";
  for (int d = scale.decadeLow; d <= scale.decadeHigh; ++d) {
    for (int m = 1; m < 10 && (m == 1 || d < scale.decadeHigh); ++m) {
      const double y = scale.y(m * std::pow(10.0, d));
      svg << "<line x1=\"" << kLeft << "\" x2=\"" << kRight << "\" y1=\"" << y << "\" y2=\"" << y
          << "\"" << (m == 1 ? "" : " stroke-dasharray=\"2,3\"") << "/>\n";
    }
  }
  svg << "</g>\n<g font-size=\"12\" fill=\"#000\">\n";
  for (int d = scale.decadeLow; d <= scale.decadeHigh; ++d) {
    svg << "<text x=\"" << kLeft - 8 << "\" y=\"" << scale.y(std::pow(10.0, d)) + 4
        << "\" text-anchor=\"end\">1e" << d << "</text>\n";
    // Within a single decade, its inner ticks are labelled too.
    if (scale.decadeHigh - scale.decadeLow > 1 || d == scale.decadeHigh) continue;
    for (int m : {2, 5}) {
      svg << "<text x=\"" << kLeft - 8 << "\" y=\"" << scale.y(m * std::pow(10.0, d)) + 4
          << "\" text-anchor=\"end\" font-size=\"10\">" << m << "e" << d << "</text>\n";
    }
  }
  for (double load = scale.xMin; load <= scale.xMax + scale.xStep / 1e6; load += scale.xStep) {
    const double x = scale.x(load);
    svg << "<line x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << kBottom << "\" y2=\""
        << kBottom + 5 << "\" stroke=\"#000\"/>\n<text x=\"" << x << "\" y=\"" << kBottom + 20
        << "\" text-anchor=\"middle\">" << number(load) << "</text>\n";
  }
  svg << "</g>\n<rect x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << kRight - kLeft
      << "\" height=\"" << kBottom - kTop << "\" fill=\"none\" stroke=\"#000\"/>\n";
  svg << "<text x=\"" << (kLeft + kRight) / 2 << "\" y=\"" << kBottom + 45
      << "\" font-size=\"14\" text-anchor=\"middle\">Offered load per pair (Erlang)</text>\n";
  svg << "<text transform=\"translate(22," << (kTop + kBottom) / 2
      << ") rotate(-90)\" font-size=\"14\" text-anchor=\"middle\">Blocking probability</text>\n";
}

void drawMarker(std::ostringstream& svg, std::size_t kind, double x, double y) {
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

void drawSeries(std::ostringstream& svg, const Scale& scale,
                const std::vector<const experiment::CurvePoint*>& members, std::size_t index) {
  const char* colour = kColours[index % kColours.size()];
  const char* dashes = kDashes[index % kDashes.size()];
  std::string line;
  for (const experiment::CurvePoint* point : members) {
    if (!point->measured || point->meanBlocking <= 0) continue;
    line += number(scale.x(point->key.load)) + "," + number(scale.y(point->meanBlocking)) + " ";
  }
  svg << "<g stroke=\"" << colour << "\" fill=\"" << colour << "\">\n<polyline points=\"" << line
      << "\" fill=\"none\" stroke-width=\"2\""
      << (*dashes != '\0' ? std::string(" stroke-dasharray=\"") + dashes + "\"" : "") << "/>\n";
  for (const experiment::CurvePoint* point : members) {
    if (!point->measured || point->meanBlocking <= 0) continue;
    const double x = scale.x(point->key.load);
    const double y = scale.y(point->meanBlocking);
    if (point->halfWidth) {
      const double low = point->meanBlocking - *point->halfWidth;
      const double yHigh = std::max(scale.y(point->meanBlocking + *point->halfWidth), kTop);
      if (low > 0) {
        const double yLow = std::min(scale.y(low), kBottom);
        svg << "<path d=\"M" << x << ',' << yLow << "V" << yHigh << "M" << x - 4 << ',' << yLow
            << "h8M" << x - 4 << ',' << yHigh << "h8\" fill=\"none\"/>\n";
      } else {
        // The interval reaches 0, which a log scale cannot show: a short stub, cut.
        const double yCut = std::min(y + 16, kBottom);
        svg << "<path d=\"M" << x << ',' << yCut << "V" << yHigh << "M" << x - 4 << ',' << yHigh
            << "h8M" << x - 5 << ',' << yCut + 2 << "l10,-4M" << x - 5 << ',' << yCut + 5
            << "l10,-4\" fill=\"none\"/>\n";
      }
    }
    drawMarker(svg, index, x, y);
  }
  svg << "</g>\n";
}

constexpr const char* kReferenceColour = "#333";
constexpr const char* kReferenceDashes = "5,4";

// Blocking of 0 has no place on a log scale: the line runs between the others.
void drawReference(std::ostringstream& svg, const Scale& scale,
                   const experiment::ReferenceCurve& reference) {
  std::string line;
  for (const auto& [load, blocking] : reference.points) {
    if (blocking <= 0) continue;
    line += number(scale.x(load)) + "," + number(scale.y(blocking)) + " ";
  }
  svg << "<polyline points=\"" << line << "\" fill=\"none\" stroke=\"" << kReferenceColour
      << "\" stroke-width=\"1.5\" stroke-dasharray=\"" << kReferenceDashes << "\"/>\n";
}

std::string policyName(std::int32_t policy) {
  switch (policy) {
    case 1:
      return "Aleatorio (1)";
    case 2:
      return "Balanceado (2)";
    case 3:
      return "Least Loaded corto (3)";
    case 4:
      return "Least Loaded balanceado (4)";
    default:
      return "policy " + std::to_string(policy);
  }
}

std::string refreshName(std::int32_t interval) {
  if (interval == 0) return "refresh at every call";
  return "refresh every " + std::to_string(interval) + (interval == 1 ? " tick" : " ticks");
}

}  // namespace

std::string blockingChartSvg(const std::vector<experiment::CurvePoint>& points,
                             const std::string& title, const std::string& caption,
                             const experiment::ReferenceCurve* reference) {
  const Scale scale = scaleOf(points, reference);
  Series series;
  std::vector<std::string> unplotted;
  bool intervals = false;
  for (const experiment::CurvePoint& point : points) {
    series[{point.key.policy, point.key.interval}].push_back(&point);
    if (!point.measured || point.meanBlocking <= 0) {
      unplotted.push_back(policyName(point.key.policy) + " at " + number(point.key.load));
    } else if (point.halfWidth) {
      intervals = true;
    }
  }
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\" viewBox=\"0 0 " << kWidth << ' ' << kHeight
      << "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
      << "<text x=\"" << (kLeft + kRight) / 2 << "\" y=\"30\" font-size=\"16\" "
      << "text-anchor=\"middle\">" << escaped(title) << "</text>\n";
  drawAxes(svg, scale);
  std::size_t index = 0;
  for (const auto& [key, members] : series) {
    drawSeries(svg, scale, members, index);
    const char* colour = kColours[index % kColours.size()];
    const char* dashes = kDashes[index % kDashes.size()];
    const double y = kTop + 10 + 36.0 * static_cast<double>(index);
    svg << "<g stroke=\"" << colour << "\" fill=\"" << colour << "\"><line x1=\"" << kRight + 12
        << "\" x2=\"" << kRight + 46 << "\" y1=\"" << y << "\" y2=\"" << y
        << "\" stroke-width=\"2\""
        << (*dashes != '\0' ? std::string(" stroke-dasharray=\"") + dashes + "\"" : "") << "/>\n";
    drawMarker(svg, index, kRight + 29, y);
    svg << "</g>\n<text x=\"" << kRight + 52 << "\" y=\"" << y + 4 << "\" font-size=\"12\">"
        << policyName(key.first) << "</text>\n<text x=\"" << kRight + 52 << "\" y=\"" << y + 18
        << "\" font-size=\"11\" fill=\"#444\">" << refreshName(key.second) << "</text>\n";
    ++index;
  }
  if (reference != nullptr) {
    drawReference(svg, scale, *reference);
    const double y = kTop + 10 + 36.0 * static_cast<double>(index);
    svg << "<line x1=\"" << kRight + 12 << "\" x2=\"" << kRight + 46 << "\" y1=\"" << y
        << "\" y2=\"" << y << "\" stroke=\"" << kReferenceColour
        << "\" stroke-width=\"1.5\" stroke-dasharray=\"" << kReferenceDashes << "\"/>\n<text x=\""
        << kRight + 52 << "\" y=\"" << y + 4 << "\" font-size=\"12\">" << escaped(reference->name)
        << "</text>\n<text x=\"" << kRight + 52 << "\" y=\"" << y + 18
        << "\" font-size=\"11\" fill=\"#444\">theory</text>\n";
  }
  double noteY = kBottom + 72;
  if (!caption.empty()) {
    svg << "<text x=\"" << kLeft << "\" y=\"" << noteY << "\" font-size=\"11\">" << escaped(caption)
        << "</text>\n";
    noteY += 14;
  }
  // Three names a line, two lines at most.
  for (std::size_t k = 0; k < unplotted.size() && k < 6; k += 3) {
    std::string names = k == 0 ? "Not drawn (no blocked call): " : "";
    for (std::size_t n = k; n < unplotted.size() && n < k + 3; ++n) {
      names += (n > k ? "; " : "") + unplotted[n];
    }
    if (k + 3 >= 6 && unplotted.size() > 6) {
      names += "; and " + std::to_string(unplotted.size() - 6) + " more";
    }
    svg << "<text x=\"" << kLeft << "\" y=\"" << noteY << "\" font-size=\"11\">" << escaped(names)
        << "</text>\n";
    noteY += 14;
  }
  if (intervals) {
    svg << "<text x=\"" << kRight + 12 << "\" y=\"" << kBottom
        << "\" font-size=\"11\">error bars: 95% CI over seeds</text>\n";
  }
  svg << "</svg>\n";
  return svg.str();
}

std::string causesChartSvg(const std::vector<experiment::CurvePoint>& points,
                           const std::string& title, const std::string& caption) {
  static constexpr const char* kTitles[experiment::kCauseColumns] = {
      "No hay Lamdas (type 0)",
      "Faltan Regeneradores (type 1)",
      "Faltan Lamdas & Regeneradores (type 2)",
      "Faltan Lamdas; Si Regeneradores (type 3)",
      "Assignment without a recorded cause",
      "Error Actualizacion (type 4: calls)",
      "Without a path"};
  std::vector<std::string> panels;
  for (std::size_t cause = 0; cause < experiment::kCauseColumns; ++cause) {
    std::vector<experiment::CurvePoint> shares = points;
    bool any = false;
    for (experiment::CurvePoint& point : shares) {
      point.meanBlocking = point.meanCauseShares[cause];
      point.halfWidth.reset();
      any = any || (point.measured && point.meanBlocking > 0);
    }
    if (any) panels.push_back(blockingChartSvg(shares, title + ": " + kTitles[cause], caption));
  }
  if (panels.empty())
    panels.push_back(blockingChartSvg(points, title + ": no call blocked", caption));
  // The panels, each a chart of its own, one under the other.
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
      << kHeight * static_cast<double>(panels.size()) << "\" viewBox=\"0 0 " << kWidth << ' '
      << kHeight * static_cast<double>(panels.size()) << "\">\n";
  const std::string head = "<svg xmlns=\"http://www.w3.org/2000/svg\"";
  for (std::size_t k = 0; k < panels.size(); ++k) {
    std::string& panel = panels[k];
    panel.replace(0, head.size(),
                  "<svg x=\"0\" y=\"" + number(kHeight * static_cast<double>(k)) + "\"");
    svg << panel;
  }
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace lab
