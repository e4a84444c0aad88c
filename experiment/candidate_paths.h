// What the candidate search gave each pair of a run, and how many pairs it left short.
#pragma once

#include <cstdint>
#include <vector>

#include "calls/call_source.h"

namespace experiment {

struct PairPaths {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  // The paths of the pair's set, repeats included (each is a route entry a call may take),
  // and how many of them differ.
  std::int64_t paths = 0;
  std::int64_t distinctPaths = 0;
  // The search ended at its limit, so the network may hold paths it never reached.
  bool limited = false;
};

// One per pair with a source, from its first source, ordered by origin, then destination.
std::vector<PairPaths> candidatePathsOf(const calls::CallSources& sources);

struct CandidateSummary {
  std::int64_t pairs = 0;
  // Pairs with fewer distinct paths than asked for (those without any included).
  std::int64_t fewerThanAsked = 0;
  std::int64_t limited = 0;
  std::int64_t withoutPath = 0;
};

CandidateSummary summariseCandidates(const std::vector<PairPaths>& pairs, std::int32_t asked);

}  // namespace experiment
