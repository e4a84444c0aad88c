#include "experiment/candidate_paths.h"

#include <algorithm>
#include <set>

namespace experiment {

std::vector<PairPaths> candidatePathsOf(const calls::CallSources& sources) {
  std::vector<PairPaths> pairs;
  std::set<std::pair<std::int32_t, std::int32_t>> seen;
  for (const calls::CallSource& source : sources) {
    if (!seen.emplace(source.origin, source.destination).second) continue;
    std::set<routing::Path> distinct;
    for (const routing::PathSetItem& item : source.paths) distinct.insert(item.path);
    pairs.push_back(PairPaths{source.origin, source.destination,
                              static_cast<std::int64_t>(source.paths.size()),
                              static_cast<std::int64_t>(distinct.size()), source.searchLimited});
  }
  std::sort(pairs.begin(), pairs.end(), [](const PairPaths& a, const PairPaths& b) {
    return std::pair(a.origin, a.destination) < std::pair(b.origin, b.destination);
  });
  return pairs;
}

CandidateSummary summariseCandidates(const std::vector<PairPaths>& pairs, std::int32_t asked) {
  CandidateSummary summary;
  for (const PairPaths& pair : pairs) {
    ++summary.pairs;
    if (pair.distinctPaths < asked) ++summary.fewerThanAsked;
    if (pair.limited) ++summary.limited;
    if (pair.paths == 0) ++summary.withoutPath;
  }
  return summary;
}

}  // namespace experiment
