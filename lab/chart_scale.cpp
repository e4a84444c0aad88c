#include "lab/chart_scale.h"

#include <algorithm>
#include <cmath>

namespace lab {

namespace {

// 1, 2, 2.5 or 5 times a power of ten, giving three to seven ticks over `range`.
double niceStep(double range) {
  const double raw = range / 6.0;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (raw <= factor * magnitude * (1 + 1e-9)) return factor * magnitude;
  }
  return 10.0 * magnitude;
}

}  // namespace

std::vector<double> LoadAxis::ticks() const {
  std::vector<double> loads;
  // Multiples counted, not summed, so that 3 x 0.1 prints as 0.3.
  const double tolerance = step * 1e-6;
  for (double k = std::ceil((low - tolerance) / step); k * step <= high + tolerance; ++k) {
    loads.push_back(k * step == 0.0 ? 0.0 : k * step);
  }
  return loads;
}

LoadAxis fitLoadAxis(double lowest, double highest) {
  LoadAxis axis;
  if (!(highest > 0.0)) return axis;
  lowest = std::min(lowest, highest);
  // A single load sits in the middle of an axis as wide as itself.
  const double spread = highest > lowest ? highest - lowest : highest;
  const double margin = spread * 0.06;
  axis.low = highest > lowest ? lowest - margin : lowest - spread / 2;
  axis.high = highest > lowest ? highest + margin : highest + spread / 2;
  // Loads that start within a quarter of their spread from 0 are read against 0.
  if (lowest <= spread * 0.25) axis.low = 0.0;
  axis.step = niceStep(axis.high - axis.low);
  // Ends within a fifth of a step of a tick move onto it, so the frame is labelled there.
  const double snapLow = std::floor(axis.low / axis.step) * axis.step;
  if (axis.low - snapLow < axis.step * 0.2 && snapLow >= 0.0) axis.low = snapLow;
  const double snapHigh = std::ceil(axis.high / axis.step) * axis.step;
  if (snapHigh - axis.high < axis.step * 0.2) axis.high = snapHigh;
  return axis;
}

BlockingAxis fitBlockingAxis(double lowest, double highest) {
  BlockingAxis axis;
  if (!(highest > 0.0)) return axis;
  lowest = std::min(std::max(lowest, 1e-300), highest);
  axis.decadeLow = static_cast<int>(std::floor(std::log10(lowest)));
  axis.decadeHigh = std::max(static_cast<int>(std::ceil(std::log10(highest))), axis.decadeLow + 1);
  axis.decadeHigh = std::min(axis.decadeHigh, 0);
  axis.decadeLow = std::min(axis.decadeLow, axis.decadeHigh - 1);
  return axis;
}

}  // namespace lab
