#include "experiment/traffic_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace experiment {

namespace {

// The standard library's distributions differ between implementations; mt19937_64's
// output does not, so sampling is done here by inversion.
double unitOpenAtZero(std::mt19937_64& random) {
  return (static_cast<double>(random() >> 11) + 1.0) * 0x1.0p-53;
}

double unitClosedAtZero(std::mt19937_64& random) {
  return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

double exponential(std::mt19937_64& random, double mean) {
  return -mean * std::log(unitOpenAtZero(random));
}

// Rounds half away from zero, as llround does, without its call into the maths library:
// below 2^31 the fraction is exact.
std::int32_t toTicks(double value) {
  constexpr double kLargest = std::numeric_limits<std::int32_t>::max();
  if (!(value < kLargest)) return std::numeric_limits<std::int32_t>::max();
  if (!(value > 0.0)) return 0;
  const auto whole = static_cast<std::int32_t>(value);
  return value - static_cast<double>(whole) >= 0.5 ? whole + 1 : whole;
}

// floor(), mostly without its call into the maths library: arrival times are not
// negative, and below 2^52 truncation is exact.
double wholePart(double time) {
  if (time >= 0.0 && time < 0x1.0p52) return static_cast<double>(static_cast<std::int64_t>(time));
  return std::floor(time);
}

std::int32_t holdingTime(std::mt19937_64& random, const TrafficModel& model) {
  switch (model.holding) {
    case HoldingKind::kFixed:
      return toTicks(model.meanHolding);
    case HoldingKind::kUniform: {
      const double top = std::floor(2.0 * model.meanHolding);
      return toTicks(std::floor(unitClosedAtZero(random) * (top + 1.0)));
    }
    case HoldingKind::kExponential:
      break;
  }
  return toTicks(exponential(random, model.meanHolding));
}

}  // namespace

bool CallGenerator::next(GeneratedCall& call) {
  if (given_ >= model_.count) return false;
  ++given_;
  // The arrival times are rounded, not the gaps, so that each tick's arrivals are a
  // Poisson count whatever came before.
  arrival_ += exponential(random_, model_.meanGap);
  const double tick = wholePart(arrival_);
  call.gap = toTicks(tick - lastTick_);
  lastTick_ = tick;
  call.duration = holdingTime(random_, model_);
  return true;
}

std::vector<GeneratedCall> generateCalls(const TrafficModel& model) {
  CallGenerator generator(model);
  std::vector<GeneratedCall> calls;
  calls.reserve(static_cast<std::size_t>(std::max<std::int64_t>(model.count, 0)));
  for (GeneratedCall call; generator.next(call);) calls.push_back(call);
  return calls;
}

std::string callFileText(const std::vector<GeneratedCall>& calls) {
  std::string text;
  text.reserve(calls.size() * 8);
  for (const GeneratedCall& call : calls) {
    text += std::to_string(call.gap);
    text += '\t';
    text += std::to_string(call.duration);
    text += '\n';
  }
  return text;
}

double offeredLoad(const std::vector<GeneratedCall>& calls) {
  double span = 0.0;
  double holding = 0.0;
  for (const GeneratedCall& call : calls) {
    span += call.gap;
    holding += call.duration + 0.5;
  }
  return span > 0.0 ? holding / span : 0.0;
}

double meanGapForLoad(double load, double meanHolding) {
  return (meanHolding + 0.5) / load;
}

std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream) {
  // splitmix64 of the pair, so neighbouring seeds and streams give unrelated generators.
  std::uint64_t z = seed * 0x9e3779b97f4a7c15ull + stream + 0x632be59bd9b4e019ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

std::string_view holdingName(HoldingKind kind) {
  switch (kind) {
    case HoldingKind::kFixed:
      return "fixed";
    case HoldingKind::kUniform:
      return "uniform";
    case HoldingKind::kExponential:
      break;
  }
  return "exp";
}

bool parseHolding(std::string_view name, HoldingKind& kind) {
  for (HoldingKind candidate :
       {HoldingKind::kExponential, HoldingKind::kFixed, HoldingKind::kUniform}) {
    if (name == holdingName(candidate)) {
      kind = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace experiment
