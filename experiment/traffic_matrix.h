// A traffic matrix: the load each ordered pair offers, read from a CSV of
// origin,destination,load lines.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace experiment {

struct PairLoad {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  // Erlang.
  double load = 0.0;
};

struct TrafficMatrixError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One pair per line, in the order given; an optional first line naming the columns, blank
// lines and lines starting with '#' are skipped. Throws TrafficMatrixError naming the line
// for a line that is not two whole node numbers and a load of 0 or more, a pair from a node
// to itself, or a pair given twice. Pairs with a load of 0 are kept: they offer nothing.
std::vector<PairLoad> parseTrafficMatrix(std::string_view text);

// The same pattern of loads scaled so that the pairs with a load average `meanLoad`.
std::vector<PairLoad> scaledToMean(std::vector<PairLoad> pairs, double meanLoad);

}  // namespace experiment
