// The blocking curve as an SVG chart: blocking probability on a log scale against offered
// load, one line per policy and update interval, with 95% error bars, axes and legend.
#pragma once

#include <string>
#include <vector>

#include "experiment/blocking_curve.h"

namespace lab {

// Each line has its own colour, dash pattern and marker; the legend names the policies as
// the console's menu does and the intervals in ticks. Points whose mean is 0, or that no run
// measured, cannot be placed on a log scale and are left out of their line (a note under
// the chart names them); an interval reaching 0 or below is drawn cut. `caption`, when not
// empty, is printed under the chart. A reference, when given, is drawn as a thin dashed line
// without markers, named last in the legend.
std::string blockingChartSvg(const std::vector<experiment::CurvePoint>& points,
                             const std::string& title, const std::string& caption = {},
                             const experiment::ReferenceCurve* reference = nullptr);

// Blocking by cause against load: one panel, drawn as above, per cause that blocked any call
// (the mean share of offered calls it blocked), one above the other; a single panel saying
// so when nothing was blocked.
std::string causesChartSvg(const std::vector<experiment::CurvePoint>& points,
                           const std::string& title, const std::string& caption = {});

}  // namespace lab
