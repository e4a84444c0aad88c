// The route table and the load metrics of links and paths.
#include "routing/route_table.h"

#include <algorithm>
#include <limits>
#include <new>

namespace routing {

namespace {

std::uint64_t pairKey(NodeId origin, NodeId destination) {
  return (std::uint64_t{static_cast<std::uint32_t>(origin)} << 32) |
         static_cast<std::uint32_t>(destination);
}

// Channel sums can exceed 32 bits with absurd configuration values; they saturate.
std::int32_t saturate(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

const std::vector<RouteEntry*>* RouteTable::entriesOf(NodeId origin, NodeId destination) const {
  auto found = byPair_.find(pairKey(origin, destination));
  return found == byPair_.end() ? nullptr : &found->second;
}

RouteEntry* newRouteEntry(RouteTable& table, base::ErrorReporter& reporter) {
  try {
    return &table.entries_.emplace_back();
  } catch (const std::bad_alloc&) {
    reporter.reportError(210);
    return nullptr;
  }
}

RouteEntry* addRouteEntry(RouteTable& table, const Path& path, NodeId origin, NodeId destination,
                          base::ErrorReporter& reporter) {
  RouteEntry* entry = newRouteEntry(table, reporter);
  if (entry == nullptr) return nullptr;
  try {
    table.byPair_[pairKey(origin, destination)].push_back(entry);
  } catch (const std::bad_alloc&) {
    table.entries_.pop_back();
    reporter.reportError(210);
    return nullptr;
  }
  entry->origin = origin;
  entry->destination = destination;
  entry->path = &path;
  entry->id = table.nextRouteId_++;
  return entry;
}

// The scan is a local here, so the failure that the shared scan record could meet
// (code 240) cannot arise.
void addPairRoutes(RouteTable& table, const PathSet& set, NodeId origin, NodeId destination,
                   base::ErrorReporter& reporter) {
  PathScan scan = freshScan(set);
  while (nextPathBetween(&scan, origin, destination, reporter)->found >= 0) {
    addRouteEntry(table, set[static_cast<std::size_t>(scan.found)].path, origin, destination,
                  reporter);
  }
}

void freeRouteTable(RouteTable& table) {
  table.entries_.clear();
  table.byPair_.clear();
}

std::int32_t linkFreeChannels(const network::LinkTable& table, NodeId a, NodeId b) {
  const network::Link* link = network::findLink(table, a, b);
  return link == nullptr ? -1 : linkFreeChannels(table, *link);
}

std::int32_t linkFreeChannels(const network::LinkTable& table, const network::Link& link) {
  const std::int32_t* counters = table.freeFibers(link);
  std::int64_t sum = 0;
  for (std::int32_t w = 0; w < table.lambdaCount(); ++w) sum += counters[w];
  return saturate(sum);
}

std::int32_t pathFreeCapacity(const Path& path, const network::LinkTable& table) {
  if (path.empty()) return -1;
  std::int32_t least =
      saturate(std::int64_t{table.lambdaCount()} * std::int64_t{table.fiberCount()});
  for (std::size_t i = 1; i < path.size(); ++i) {
    least = std::min(least, linkFreeChannels(table, path[i - 1], path[i]));
  }
  return least;
}

std::int32_t hopsFreeCapacity(std::span<const std::int32_t> hops, LinkChannelSums& sums,
                              const network::LinkTable& table) {
  std::int32_t least =
      saturate(std::int64_t{table.lambdaCount()} * std::int64_t{table.fiberCount()});
  for (const std::int32_t position : hops) {
    least = std::min(least, position < 0 ? -1 : sums.of(table, static_cast<std::size_t>(position)));
  }
  return least;
}

}  // namespace routing
