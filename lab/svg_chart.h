// The blocking curve as an SVG chart: blocking probability on a log scale against offered
// load, one line per policy and update interval, with 95% error bars, axes and legend.
#pragma once

#include <string>
#include <vector>

#include "lab/blocking_curve.h"

namespace lab {

// Points whose mean is 0 cannot be placed on a log scale and are left out of their line
// (a note under the chart says how many); an interval reaching 0 or below is drawn to the
// bottom of the axis.
std::string blockingChartSvg(const std::vector<CurvePoint>& points, const std::string& title);

}  // namespace lab
