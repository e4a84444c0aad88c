// One plot of blocking against load, as the blocking and causes charts draw it: the frame,
// axes, lines with error bars, and a legend under it naming the lines drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "experiment/blocking_curve.h"
#include "experiment/reference_curve.h"
#include "lab/chart_scale.h"

namespace lab {

// The chart's width, and the margin its text keeps from either side.
inline constexpr double kChartWidth = 600;
inline constexpr double kChartMargin = 16;

struct PlotPoint {
  double load = 0.0;
  // False, or a value of 0, leaves the point off a log scale.
  bool measured = false;
  double value = 0.0;
  std::optional<double> halfWidth;
};

// A grid line's points (its policies and interval), in order of load; `style` picks its
// colour, dashes and marker, so that a line looks the same in every plot of a chart.
struct PlotLine {
  std::int32_t policy = 0;
  std::int32_t interval = 0;
  // A plug-in path policy's FILE:NAME, and the wavelength policy (empty: built-in).
  std::string pathPolicy;
  std::string wavelengthPolicy;
  std::size_t style = 0;
  std::vector<PlotPoint> points;
  // Some point can be placed on a log scale.
  bool drawn() const;
};

struct Plot {
  std::string title;
  std::string yLabel = "Blocking probability";
  // Of the frame, in pixels.
  double height = 300;
  std::vector<PlotLine> lines;
  const experiment::ReferenceCurve* reference = nullptr;
  // One candidate path per pair: lines are named by that, not by a policy.
  bool onePath = false;
  LoadAxis loads;
};

// What a plot shows of a curve point: its value and 95% half-width.
using PointValue = std::function<PlotPoint(const experiment::CurvePoint&)>;

// A line per policy and interval of the points, ordered as curvePoints orders them.
std::vector<PlotLine> plotLines(const std::vector<experiment::CurvePoint>& points,
                                const PointValue& value);

// The axis that holds the points' and the reference's loads.
LoadAxis plotLoadAxis(const std::vector<experiment::CurvePoint>& points,
                      const experiment::ReferenceCurve* reference);

// Draws the plot from `top` down, within the chart's width; the legend lists only the lines
// drawn, and the reference. Returns where it ends.
double drawPlot(std::ostream& svg, const Plot& plot, double top);

// The lines, or points of lines, that a log scale cannot show, in words; empty for none.
std::string undrawnNote(const Plot& plot);

// Some point drawn has an error bar.
bool hasErrorBars(const Plot& plot);

// Draws the text wrapped to the chart's width from `top` down, each line at most
// kChartWidth - 2 kChartMargin wide; returns where it ends.
double drawParagraph(std::ostream& svg, const std::string& text, double top, double fontSize,
                     const std::string& colour = "#000");

// The caption, with a sentence on what the error bars are when there are any.
std::string withErrorBarNote(const std::string& caption, bool errorBars);

// A whole SVG document of the chart's width and `height` around `body`, with `description`
// as its <desc>.
std::string chartDocument(const std::string& body, double height, const std::string& description);

}  // namespace lab
