// Call files made from a traffic model: Poisson arrivals on whole ticks and holding times
// of a chosen distribution, the same for the same seed on every standard library.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace experiment {

enum class HoldingKind { kExponential, kFixed, kUniform };

struct TrafficModel {
  // Mean gap between call starts, in ticks.
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

// The calls of a model one at a time, the same as generateCalls gives.
class CallGenerator {
 public:
  explicit CallGenerator(const TrafficModel& model) : model_(model), random_(model.seed) {}
  // False once the model's count of calls is given.
  bool next(GeneratedCall& call);

 private:
  TrafficModel model_;
  std::mt19937_64 random_;
  std::int64_t given_ = 0;
  double arrival_ = 0.0;
  double lastTick_ = 0.0;
};

// Calls arrive as a Poisson process of mean gap meanGap in continuous time; the gaps are
// those between the arrival times rounded down to whole ticks. Durations: exponential rounded
// to the nearest tick; fixed, the mean rounded; uniform, whole ticks 0 to 2 x mean with
// equal weight (the mean exactly when 2 x mean is whole).
std::vector<GeneratedCall> generateCalls(const TrafficModel& model);

// "gap\tduration\n" per call.
std::string callFileText(const std::vector<GeneratedCall>& calls);

// The offered load in Erlangs as the run loop holds calls: a call of duration d started at
// tick s is held from its start pass at s until the end pass of tick s + d, which comes
// after that tick's start pass, so calls arriving in ticks s to s + d find it busy. A
// Poisson arrival falls on average half-way through its tick, so the call holds for d + 1/2
// ticks of continuous time: the load is the sum of (d + 1/2) over the arrival span. 0 when
// the gaps add up to 0.
double offeredLoad(const std::vector<GeneratedCall>& calls);

// The mean gap that offers `load` Erlangs with holding times of mean `meanHolding`.
double meanGapForLoad(double load, double meanHolding);

// A seed of its own for each of several streams drawn from one seed.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream);

std::string_view holdingName(HoldingKind kind);
// False for a name that is not "exp", "fixed" or "uniform".
bool parseHolding(std::string_view name, HoldingKind& kind);

}  // namespace experiment
