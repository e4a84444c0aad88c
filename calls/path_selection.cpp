// The four policies that choose the path of a starting call.
#include "calls/path_selection.h"

#include <new>
#include <vector>

namespace calls {

const routing::Path* randomPath(const routing::PathSet& paths, std::int32_t pathCount,
                                RandomGenerator& random) {
  if (paths.empty()) return nullptr;
  const auto r = static_cast<std::size_t>(random.draw());
  const auto count = static_cast<std::size_t>(pathCount);
  const std::size_t modulus = pathCount >= 1 && paths.size() >= count ? count : paths.size();
  return &paths[r % modulus].path;
}

const routing::Path* rotatingPath(routing::PathSet& paths, std::int32_t pathCount) {
  if (paths.empty()) return nullptr;
  std::int32_t& counter = paths.front().roundRobinIndex;
  const std::int64_t c = std::int64_t{counter} + 1;
  // Walking c steps where a step past the last item leads back to the first.
  const std::size_t position = c <= 0 ? 0 : static_cast<std::size_t>(c) % (paths.size() + 1);
  counter = c >= pathCount ? -1 : static_cast<std::int32_t>(c);
  return &paths[position == paths.size() ? 0 : position].path;
}

void refreshPairCapacity(routing::RouteTable& table, network::NodeId origin,
                         network::NodeId destination, const network::LinkTable& links) {
  const std::vector<routing::RouteEntry*>* pair = table.entriesOf(origin, destination);
  if (pair == nullptr) return;
  for (routing::RouteEntry* entry : *pair) {
    if (entry->path != nullptr)
      entry->freeCapacity = routing::pathFreeCapacity(*entry->path, links);
  }
}

routing::RouteEntry* leastLoadedRoute(const routing::RouteTable& table, network::NodeId origin,
                                      network::NodeId destination) {
  const std::vector<routing::RouteEntry*>* pair = table.entriesOf(origin, destination);
  if (pair == nullptr) return nullptr;
  std::int32_t best = 0;
  routing::RouteEntry* chosen = nullptr;
  // Table order is the pair's list read backwards.
  for (auto it = pair->rbegin(); it != pair->rend(); ++it) {
    if ((*it)->freeCapacity >= best) {
      best = (*it)->freeCapacity;
      chosen = *it;
    }
  }
  return chosen;
}

routing::RouteEntry* leastLoadedRouteBalanced(routing::RouteTable& table, network::NodeId origin,
                                              network::NodeId destination,
                                              base::ErrorReporter& reporter) {
  const std::vector<routing::RouteEntry*>* pair = table.entriesOf(origin, destination);
  if (pair == nullptr) return nullptr;
  routing::RouteEntry& anchor = *pair->back();
  std::int32_t most = 0;
  for (const routing::RouteEntry* entry : *pair) {
    if (entry->freeCapacity >= most) most = entry->freeCapacity;
  }
  // Candidates in reverse table order, which is the pair's list order.
  std::vector<routing::RouteEntry*> candidates;
  for (routing::RouteEntry* entry : *pair) {
    if (entry->freeCapacity != most) continue;
    try {
      candidates.push_back(entry);
    } catch (const std::bad_alloc&) {
      reporter.reportError(3400);
    }
  }
  if (candidates.empty()) return nullptr;
  routing::RouteEntry* chosen = candidates.front();
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i]->id != anchor.lastChosenId) continue;
    if (i + 1 < candidates.size()) chosen = candidates[i + 1];
    break;
  }
  anchor.lastChosenId = chosen->id;
  return chosen;
}

const routing::Path* choosePath(std::int32_t pathPolicy, std::int32_t pathCount, CallSource& source,
                                routing::RouteTable& table, const network::LinkTable& view,
                                RandomGenerator& random, base::ErrorReporter& reporter) {
  const routing::RouteEntry* entry = nullptr;
  switch (pathPolicy) {
    case 1:
      return randomPath(source.paths, pathCount, random);
    case 2:
      return rotatingPath(source.paths, pathCount);
    case 3:
      refreshPairCapacity(table, source.origin, source.destination, view);
      entry = leastLoadedRouteBalanced(table, source.origin, source.destination, reporter);
      break;
    case 4:
      refreshPairCapacity(table, source.origin, source.destination, view);
      entry = leastLoadedRoute(table, source.origin, source.destination);
      break;
    default:
      return nullptr;
  }
  return entry == nullptr ? nullptr : entry->path;
}

}  // namespace calls
