// Means over seeds with Student t confidence intervals, and the Erlang B loss formula.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace experiment {

// The 0.975 quantile of Student's t with `degrees` degrees of freedom (at least 1).
double studentT975(std::int64_t degrees);

struct SampleMean {
  double mean = 0.0;
  // Half the width of the 95% confidence interval of the mean; none for fewer than two
  // values.
  std::optional<double> halfWidth;
};

SampleMean meanWithInterval(std::span<const double> values);

// The probability that a call finds all `servers` busy when `load` Erlangs are offered.
double erlangB(double load, std::int32_t servers);

}  // namespace experiment
