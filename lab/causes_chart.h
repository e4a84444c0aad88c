// Blocking by cause against load as an SVG chart: a panel per cause, one above the other.
#pragma once

#include <string>
#include <vector>

#include "experiment/blocking_curve.h"
#include "lab/svg_chart.h"

namespace lab {

// A panel, drawn as blockingChartSvg draws its plot, per cause that blocked any call (the
// mean share of offered calls it blocked, with its 95% interval as error bars), titled in
// English; each panel's legend names only the lines drawn in it, in the same style in every
// panel. One panel saying so when nothing was blocked. The title heads the chart and the
// caption closes it, once.
std::string causesChartSvg(const std::vector<experiment::CurvePoint>& points,
                           const ChartText& text);

}  // namespace lab
