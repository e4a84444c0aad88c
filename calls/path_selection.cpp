// The four policies that choose the path of a starting call.
#include "calls/path_selection.h"

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

PairRoutes routesByNodes(const routing::RouteTable& table, network::NodeId origin,
                         network::NodeId destination) {
  const std::vector<routing::RouteEntry*>* pair = table.entriesOf(origin, destination);
  return pair == nullptr ? PairRoutes{} : PairRoutes{*pair, {}, nullptr};
}

void refreshPairCapacity(const PairRoutes& pair, const network::LinkTable& links) {
  if (pair.sums != nullptr) pair.sums->nextRound();
  for (std::size_t i = 0; i < pair.entries.size(); ++i) {
    routing::RouteEntry& entry = *pair.entries[i];
    if (entry.path == nullptr) continue;
    if (pair.hops.empty() || pair.hops[i].byNodes) {
      entry.freeCapacity = routing::pathFreeCapacity(*entry.path, links);
    } else {
      entry.freeCapacity = routing::hopsFreeCapacity(pair.hops[i].positions, *pair.sums, links);
    }
  }
}

routing::RouteEntry* leastLoadedRoute(std::span<routing::RouteEntry* const> pair) {
  std::int32_t best = 0;
  routing::RouteEntry* chosen = nullptr;
  // Table order is the pair's list read backwards.
  for (auto it = pair.rbegin(); it != pair.rend(); ++it) {
    if ((*it)->freeCapacity >= best) {
      best = (*it)->freeCapacity;
      chosen = *it;
    }
  }
  return chosen;
}

routing::RouteEntry* leastLoadedRouteBalanced(std::span<routing::RouteEntry* const> pair) {
  if (pair.empty()) return nullptr;
  routing::RouteEntry& anchor = *pair.back();
  std::int32_t most = 0;
  for (const routing::RouteEntry* entry : pair) {
    if (entry->freeCapacity >= most) most = entry->freeCapacity;
  }
  // Candidates in reverse table order, which is the pair's list order.
  routing::RouteEntry* first = nullptr;
  routing::RouteEntry* chosen = nullptr;
  bool afterLast = false;
  for (routing::RouteEntry* entry : pair) {
    if (entry->freeCapacity != most) continue;
    if (first == nullptr) first = entry;
    if (afterLast) {
      chosen = entry;
      break;
    }
    afterLast = entry->id == anchor.lastChosenId;
  }
  if (first == nullptr) return nullptr;
  if (chosen == nullptr) chosen = first;
  anchor.lastChosenId = chosen->id;
  return chosen;
}

const routing::Path* choosePath(std::int32_t pathPolicy, std::int32_t pathCount, CallSource& source,
                                const PairRoutes& routes, const network::LinkTable& view,
                                RandomGenerator& random) {
  const routing::RouteEntry* entry = nullptr;
  switch (pathPolicy) {
    case 1:
      return randomPath(source.paths, pathCount, random);
    case 2:
      return rotatingPath(source.paths, pathCount);
    case 3:
      refreshPairCapacity(routes, view);
      entry = leastLoadedRouteBalanced(routes.entries);
      break;
    case 4:
      refreshPairCapacity(routes, view);
      entry = leastLoadedRoute(routes.entries);
      break;
    default:
      return nullptr;
  }
  return entry == nullptr ? nullptr : entry->path;
}

}  // namespace calls
