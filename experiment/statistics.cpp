#include "experiment/statistics.h"

#include <array>
#include <cmath>

namespace experiment {

double studentT975(std::int64_t degrees) {
  static constexpr std::array<double, 30> kTable = {
      12.7062, 4.3027, 3.1824, 2.7764, 2.5706, 2.4469, 2.3646, 2.3060, 2.2622, 2.2281,
      2.2010,  2.1788, 2.1604, 2.1448, 2.1314, 2.1199, 2.1098, 2.1009, 2.0930, 2.0860,
      2.0796,  2.0739, 2.0687, 2.0639, 2.0595, 2.0555, 2.0518, 2.0484, 2.0452, 2.0423};
  if (degrees < 1) degrees = 1;
  if (degrees <= static_cast<std::int64_t>(kTable.size())) {
    return kTable[static_cast<std::size_t>(degrees - 1)];
  }
  // Cornish-Fisher expansion about the normal quantile; within 1e-4 from 30 on.
  const double z = 1.959964;
  const double n = static_cast<double>(degrees);
  return z + (z * z * z + z) / (4 * n) +
         (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * n * n);
}

SampleMean meanWithInterval(std::span<const double> values) {
  SampleMean result;
  if (values.empty()) return result;
  double sum = 0.0;
  for (double value : values) sum += value;
  const double n = static_cast<double>(values.size());
  result.mean = sum / n;
  if (values.size() < 2) return result;
  double squares = 0.0;
  for (double value : values) squares += (value - result.mean) * (value - result.mean);
  const double deviation = std::sqrt(squares / (n - 1));
  result.halfWidth =
      studentT975(static_cast<std::int64_t>(values.size()) - 1) * deviation / std::sqrt(n);
  return result;
}

double erlangB(double load, std::int32_t servers) {
  double blocking = 1.0;
  for (std::int32_t k = 1; k <= servers; ++k) blocking = load * blocking / (k + load * blocking);
  return blocking;
}

}  // namespace experiment
