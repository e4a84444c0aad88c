// The four policies that choose the path of a starting call.
#pragma once

#include <cstdint>
#include <span>

#include "calls/call_source.h"
#include "calls/random_generator.h"
#include "network/link_table.h"
#include "routing/path.h"
#include "routing/route_table.h"

namespace calls {

// One draw r: the item at r mod pathCount when pathCount >= 1 and the set holds at least
// pathCount items, otherwise at r mod the set's size. None, without a draw, for an empty
// set.
const routing::Path* randomPath(const routing::PathSet& paths, std::int32_t pathCount,
                                RandomGenerator& random);

// Advances the counter kept in the first item (c runs 0..pathCount, then again from 0)
// and returns the item at c mod (size + 1), where the position past the last item stands
// for the first. None, and nothing changed, for an empty set.
const routing::Path* rotatingPath(routing::PathSet& paths, std::int32_t pathCount);

// Where a route's hops lie in the links the policies read, one position per hop (-1 where
// there is no link), known before a run; `byNodes` when they are to be found by the path's
// nodes at every refresh instead.
struct RouteHops {
  std::span<const std::int32_t> positions;
  bool byNodes = true;
};

// A pair's route entries, oldest first (table order read backwards), with their hops: one
// item per entry, or none to find every entry's hops by its path's nodes. `sums` holds room
// for every position the hops name.
struct PairRoutes {
  std::span<routing::RouteEntry* const> entries;
  std::span<const RouteHops> hops;
  routing::LinkChannelSums* sums = nullptr;
};

// The pair's entries as RouteTable::entriesOf lists them, each found by its path's nodes;
// none when the pair has no entry.
PairRoutes routesByNodes(const routing::RouteTable& table, network::NodeId origin,
                         network::NodeId destination);

// Recomputes, on the links, the free capacity of the pair's entries that have a path;
// every other entry keeps its value. The policies read only the pair's entries, so they
// choose as if every entry had been recomputed.
void refreshPairCapacity(const PairRoutes& pair, const network::LinkTable& links);

// Among the pair's entries with the greatest free capacity (0 or more), the last in table
// order; none when there is no such entry.
routing::RouteEntry* leastLoadedRoute(std::span<routing::RouteEntry* const> pair);

// The entry after the last chosen one among the pair's most free entries (oldest first),
// or the first of them when the last chosen one is not among them; remembered in the
// pair's first entry in table order. None when the pair has no entry with a capacity of 0
// or more.
routing::RouteEntry* leastLoadedRouteBalanced(std::span<routing::RouteEntry* const> pair);

// The path `pathPolicy` (1 to 4) gives the source's next starting call, on the pair's
// view for policies 3 and 4, whose entries are `routes`; none for any other policy or
// when the policy finds none.
const routing::Path* choosePath(std::int32_t pathPolicy, std::int32_t pathCount, CallSource& source,
                                const PairRoutes& routes, const network::LinkTable& view,
                                RandomGenerator& random);

}  // namespace calls
