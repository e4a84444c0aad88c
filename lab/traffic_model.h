// Call files made from a traffic model: Poisson arrivals on whole ticks and holding times
// of a chosen distribution, the same for the same seed on every standard library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lab {

enum class HoldingKind { kExponential, kFixed, kUniform };

struct TrafficModel {
  // Mean of the exponential gap between call starts, in ticks, before rounding.
  double meanGap = 10.0;
  HoldingKind holding = HoldingKind::kExponential;
  // Mean of the call-file duration, in ticks.
  double meanHolding = 10.0;
  std::int64_t count = 1000;
  std::uint64_t seed = 1;
};

// One line of a call file.
struct GeneratedCall {
  std::int32_t gap = 0;
  std::int32_t duration = 0;
};

// Gaps are exponential draws rounded to the nearest tick. Durations: exponential rounded
// to the nearest tick; fixed, the mean rounded; uniform, whole ticks 0 to 2 x mean with
// equal weight (the mean exactly when 2 x mean is whole).
std::vector<GeneratedCall> generateCalls(const TrafficModel& model);

// "gap\tduration\n" per call.
std::string callFileText(const std::vector<GeneratedCall>& calls);

// The offered load in Erlangs as the run loop counts it: a call of duration d holds its
// wavelengths through the start passes of d + 1 ticks, and calls arrive at the rate the
// gaps give. 0 when the gaps add up to 0.
double offeredLoad(const std::vector<GeneratedCall>& calls);

// The mean gap that offers `load` Erlangs with holding times of mean `meanHolding`.
double meanGapForLoad(double load, double meanHolding);

// A seed of its own for each of several streams drawn from one seed.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream);

std::string_view holdingName(HoldingKind kind);
// False for a name that is not "exp", "fixed" or "uniform".
bool parseHolding(std::string_view name, HoldingKind& kind);

}  // namespace lab
