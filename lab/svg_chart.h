// The blocking curve as an SVG chart: blocking probability on a log scale against offered
// load, one line per policy and update interval, with 95% error bars, a legend and a caption.
#pragma once

#include <string>
#include <vector>

#include "experiment/blocking_curve.h"
#include "experiment/reference_curve.h"

namespace lab {

// The words around a chart.
struct ChartText {
  std::string title;
  // What ran (see chartCaption); wrapped under the chart, never wider than it, the chart
  // growing in height to hold it, and kept whole in the SVG's <desc>.
  std::string caption;
  // One candidate path per pair: the policy chose nothing, so the legend names "1 path".
  bool onePath = false;
};

// Each line has its own colour, dash pattern and marker; the legend under the plot names
// the lines drawn by policy (in English) and refresh interval. The load axis is fitted to
// the loads. Points whose mean is 0, or that no run measured, cannot be placed on a log
// scale and are left out of their line (a note under the chart names them); an interval
// reaching 0 or below is drawn cut. A reference, when given, is drawn as a thin dashed line
// without markers, named last in the legend.
std::string blockingChartSvg(const std::vector<experiment::CurvePoint>& points,
                             const ChartText& text,
                             const experiment::ReferenceCurve* reference = nullptr);

}  // namespace lab
