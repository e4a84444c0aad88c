// The values the lab's options take, checked as they are parsed: each check says in words
// what the option takes when the text is not one of its values.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

namespace lab {

// A seed: a whole number from 0 to 2^64 - 1 (a wrapped or clamped seed would be another).
extern const CLI::Validator kSeed;

// A load: a finite number above 0, in Erlang per pair.
extern const CLI::Validator kLoad;

// A relative precision: above 0 and below 1.
extern const CLI::Validator kPositiveFraction;

// A call file's fields are 32-bit: with means up to this, an exponential draw exceeds one
// with a probability below 1e-17, and a uniform one (up to twice the mean) never does.
inline constexpr double kMostMeanTicks = 50'000'000;

// A mean in ticks up to kMostMeanTicks, above 0 when `positive`, else from 0.
CLI::Validator meanTicks(bool positive);

// A whole number from `low` to `high`; `what` names it in the message ("a policy").
CLI::Validator wholeNumber(std::int64_t low, std::int64_t high, const std::string& what);

}  // namespace lab
