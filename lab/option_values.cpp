#include "lab/option_values.h"

#include <charconv>
#include <cmath>

namespace lab {

namespace {

// True when the whole text is one number of the value's type.
template <typename Number>
bool parsesAs(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

}  // namespace

// A whole number from 0 to 2^64 - 1: a wrapped or clamped seed would be another seed.
const CLI::Validator kSeed(
    [](std::string& text) -> std::string {
      std::uint64_t value = 0;
      if (parsesAs(text, value)) return {};
      return "a seed is a whole number from 0 to 18446744073709551615, not '" + text + "'";
    },
    "");

// A finite number above 0, in Erlang per pair.
const CLI::Validator kLoad(
    [](std::string& text) -> std::string {
      double value = 0.0;
      if (parsesAs(text, value) && std::isfinite(value) && value > 0.0) return {};
      return "a load is a number above 0 (Erlang per pair), not '" + text + "'";
    },
    "");

// A relative precision: above 0 and below 1.
const CLI::Validator kPositiveFraction(
    [](std::string& text) -> std::string {
      double value = 0.0;
      if (parsesAs(text, value) && value > 0.0 && value < 1.0) return {};
      return "a relative half-width is a number above 0 and below 1 (0.05 for 5%), not '" + text +
             "'";
    },
    "");

// A mean in ticks from `low` (excluded when `positive`) to kMostMeanTicks.
CLI::Validator meanTicks(bool positive) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        double value = 0.0;
        if (parsesAs(text, value) && (positive ? value > 0.0 : value >= 0.0) &&
            value <= kMostMeanTicks) {
          return {};
        }
        return std::string("a mean is a number of ticks ") + (positive ? "above 0" : "from 0") +
               " to 50000000, so that every value drawn fits in a call file, not '" + text + "'";
      },
      "");
}

// A whole number from `low` to `high`, said in words when it is not.
CLI::Validator wholeNumber(std::int64_t low, std::int64_t high, const std::string& what) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        std::int64_t value = 0;
        if (parsesAs(text, value) && value >= low && value <= high) return {};
        return what + " is a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not '" + text + "'";
      },
      "");
}

}  // namespace lab
