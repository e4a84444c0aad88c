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

constexpr double kWidth = 760;
constexpr double kHeight = 480;
constexpr double kLeft = 80;
constexpr double kRight = 560;
constexpr double kTop = 50;
constexpr double kBottom = 410;
constexpr std::array<const char*, 8> kColours = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                                 "#ff7f0e", "#17becf", "#8c564b", "#e377c2"};

using Series = std::map<std::pair<std::int32_t, std::int32_t>, std::vector<const CurvePoint*>>;

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

Scale scaleOf(const std::vector<CurvePoint>& points) {
  Scale scale;
  double loadMax = 0, low = std::numeric_limits<double>::max(), high = 0;
  for (const CurvePoint& point : points) {
    loadMax = std::max(loadMax, point.key.load);
    if (point.meanBlocking <= 0) continue;
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

void drawSeries(std::ostringstream& svg, const Scale& scale,
                const std::vector<const CurvePoint*>& members, const char* colour) {
  std::string line;
  for (const CurvePoint* point : members) {
    if (point->meanBlocking <= 0) continue;
    line += number(scale.x(point->key.load)) + "," + number(scale.y(point->meanBlocking)) + " ";
  }
  svg << "<g stroke=\"" << colour << "\" fill=\"" << colour << "\">\n<polyline points=\"" << line
      << "\" fill=\"none\" stroke-width=\"2\"/>\n";
  for (const CurvePoint* point : members) {
    if (point->meanBlocking <= 0) continue;
    const double x = scale.x(point->key.load);
    if (point->halfWidth) {
      const double low = point->meanBlocking - *point->halfWidth;
      const double yLow = low > 0 ? std::min(scale.y(low), kBottom) : kBottom;
      const double yHigh = std::max(scale.y(point->meanBlocking + *point->halfWidth), kTop);
      svg << "<path d=\"M" << x << ',' << yLow << "V" << yHigh << "M" << x - 4 << ',' << yLow
          << "h8M" << x - 4 << ',' << yHigh << "h8\" fill=\"none\"/>\n";
    }
    svg << "<circle cx=\"" << x << "\" cy=\"" << scale.y(point->meanBlocking) << "\" r=\"3.5\"/>\n";
  }
  svg << "</g>\n";
}

}  // namespace

std::string blockingChartSvg(const std::vector<CurvePoint>& points, const std::string& title) {
  const Scale scale = scaleOf(points);
  Series series;
  int unplotted = 0;
  for (const CurvePoint& point : points) {
    series[{point.key.policy, point.key.interval}].push_back(&point);
    if (point.meanBlocking <= 0) ++unplotted;
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
    const char* colour = kColours[index % kColours.size()];
    drawSeries(svg, scale, members, colour);
    const double y = kTop + 10 + 22.0 * static_cast<double>(index);
    svg << "<line x1=\"" << kRight + 20 << "\" x2=\"" << kRight + 50 << "\" y1=\"" << y
        << "\" y2=\"" << y << "\" stroke=\"" << colour << "\" stroke-width=\"2\"/>\n<circle cx=\""
        << kRight + 35 << "\" cy=\"" << y << "\" r=\"3.5\" fill=\"" << colour << "\"/>\n<text x=\""
        << kRight + 58 << "\" y=\"" << y + 4 << "\" font-size=\"12\">policy " << key.first
        << ", interval " << key.second << "</text>\n";
    ++index;
  }
  if (unplotted > 0) {
    svg << "<text x=\"" << kLeft << "\" y=\"" << kHeight - 12 << "\" font-size=\"11\">" << unplotted
        << " point(s) without any blocked call are not drawn.</text>\n";
  }
  svg << "<text x=\"" << kRight + 20 << "\" y=\"" << kBottom
      << "\" font-size=\"11\">error bars: 95% CI over seeds</text>\n</svg>\n";
  return svg.str();
}

}  // namespace lab
