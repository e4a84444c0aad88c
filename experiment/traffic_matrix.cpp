#include "experiment/traffic_matrix.h"

#include <charconv>
#include <cmath>
#include <set>
#include <string>
#include <utility>

namespace experiment {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

template <typename Number>
bool parse(std::string_view text, Number& value) {
  text = trimmed(text);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<PairLoad> parseTrafficMatrix(std::string_view text) {
  std::vector<PairLoad> pairs;
  std::set<std::pair<std::int32_t, std::int32_t>> seen;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    if (pairs.empty() && seen.empty() && line.starts_with("origin")) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    PairLoad pair;
    if (second == std::string_view::npos || !parse(line.substr(0, first), pair.origin) ||
        !parse(line.substr(first + 1, second - first - 1), pair.destination) ||
        !parse(line.substr(second + 1), pair.load) || !std::isfinite(pair.load) ||
        pair.load < 0.0 || pair.origin < 0 || pair.destination < 0) {
      throw TrafficMatrixError(where +
                               "not origin,destination,load with two node numbers and "
                               "a load of 0 or more: '" +
                               std::string(line) + "'");
    }
    if (pair.origin == pair.destination) {
      throw TrafficMatrixError(where + "a pair from node " + std::to_string(pair.origin) +
                               " to itself");
    }
    if (!seen.emplace(pair.origin, pair.destination).second) {
      throw TrafficMatrixError(where + "the pair " + std::to_string(pair.origin) + "," +
                               std::to_string(pair.destination) + " a second time");
    }
    pairs.push_back(pair);
  }
  return pairs;
}

std::vector<PairLoad> scaledToMean(std::vector<PairLoad> pairs, double meanLoad) {
  double total = 0.0;
  std::size_t loaded = 0;
  for (const PairLoad& pair : pairs) {
    if (pair.load > 0.0) {
      total += pair.load;
      ++loaded;
    }
  }
  if (loaded == 0) return pairs;
  const double factor = meanLoad * static_cast<double>(loaded) / total;
  for (PairLoad& pair : pairs) pair.load *= factor;
  return pairs;
}

}  // namespace experiment
