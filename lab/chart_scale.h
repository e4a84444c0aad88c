// Where a blocking chart's axes run: offered load on a linear axis fitted to the loads, and
// blocking on a log axis of whole decades.
#pragma once

#include <vector>

namespace lab {

struct LoadAxis {
  double low = 0.0;
  double high = 1.0;
  // Ticks at every whole multiple of `step` from `low` to `high`.
  double step = 0.2;
  // The tick loads, lowest first: 3 to 7 of them for an axis from fitLoadAxis.
  std::vector<double> ticks() const;
};

// An axis that holds every load with a margin on either side, so that no point sits on the
// frame: it starts at 0 only when the lowest load is near 0 beside the loads' spread. Loads
// must be above 0 and finite; none gives the axis 0 to 1.
LoadAxis fitLoadAxis(double lowest, double highest);

struct BlockingAxis {
  // 10^decadeLow to 10^decadeHigh, at least one decade, never above 1.
  int decadeLow = -3;
  int decadeHigh = 0;
};

// The decades that hold every value in [lowest, highest] (both above 0); -3 to 0 when
// highest is 0 or less (nothing to draw).
BlockingAxis fitBlockingAxis(double lowest, double highest);

}  // namespace lab
