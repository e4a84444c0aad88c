// The candidate paths of every pair entered, newest first, with their free capacity, and
// the load metrics of links and paths.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <unordered_map>
#include <vector>

#include "base/error_reporter.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace routing {

struct RouteEntry {
  std::int32_t freeCapacity = -1;
  NodeId origin = network::kNoNode;
  NodeId destination = network::kNoNode;
  std::int32_t id = -1;
  // Kept only in the first entry of a pair in table order (the balanced policy's memory).
  std::int32_t lastChosenId = 0;
  // A path of a call source's set: referred to, never owned.
  const Path* path = nullptr;
};

// Entries are listed from the newest to the oldest (table order). Ids come from a
// counter that lives as long as the table object and is never reset, not even by
// `freeRouteTable`.
class RouteTable {
 public:
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // Table order: newest first.
  auto begin() { return entries_.rbegin(); }
  auto end() { return entries_.rend(); }
  auto begin() const { return entries_.rbegin(); }
  auto end() const { return entries_.rend(); }

  // The pair's entries, oldest first (so table order is this list read backwards);
  // none when the pair has no entry.
  const std::vector<RouteEntry*>* entriesOf(NodeId origin, NodeId destination) const;

  std::int32_t nextRouteId() const { return nextRouteId_; }

 private:
  friend RouteEntry* newRouteEntry(RouteTable&, base::ErrorReporter&);
  friend RouteEntry* addRouteEntry(RouteTable&, const Path&, NodeId, NodeId, base::ErrorReporter&);
  friend void freeRouteTable(RouteTable&);

  std::deque<RouteEntry> entries_;
  std::unordered_map<std::uint64_t, std::vector<RouteEntry*>> byPair_;
  std::int32_t nextRouteId_ = 0;
};

// A blank entry at the head; none after reporting code 210.
RouteEntry* newRouteEntry(RouteTable& table, base::ErrorReporter& reporter);
// An entry for the path with the next id; none (and no id used) when it cannot be made.
RouteEntry* addRouteEntry(RouteTable& table, const Path& path, NodeId origin, NodeId destination,
                          base::ErrorReporter& reporter);
// An entry for every path of the set that runs from origin to destination, in set order.
void addPairRoutes(RouteTable& table, const PathSet& set, NodeId origin, NodeId destination,
                   base::ErrorReporter& reporter);
// Removes every entry; the paths belong to their call sources and stay.
void freeRouteTable(RouteTable& table);

// The sum of the free-fibre counters of the link (a, b); -1 when there is no such link.
std::int32_t linkFreeChannels(const network::LinkTable& table, NodeId a, NodeId b);
// The sum of the free-fibre counters of a link of the table.
std::int32_t linkFreeChannels(const network::LinkTable& table, const network::Link& link);
// The least free-channel sum along the path, at most lambdaCount x fiberCount; -1 for an
// empty path.
std::int32_t pathFreeCapacity(const Path& path, const network::LinkTable& table);
// The free-channel sums of a table's links by position, each summed at most once per round:
// candidate paths of a pair share links, often all of them.
class LinkChannelSums {
 public:
  // Room for positions below `positions`. Throws std::bad_alloc when there is none.
  void reserve(std::size_t positions) {
    sums_.resize(positions);
    rounds_.resize(positions);
  }
  // Sums from here on may differ from those before.
  void nextRound() {
    if (++round_ == 0) {
      std::fill(rounds_.begin(), rounds_.end(), 0);
      round_ = 1;
    }
  }
  // linkFreeChannels of the link at `position`, below the reserved room.
  std::int32_t of(const network::LinkTable& table, std::size_t position) {
    if (rounds_[position] != round_) {
      sums_[position] = linkFreeChannels(table, table[position]);
      rounds_[position] = round_;
    }
    return sums_[position];
  }

 private:
  std::vector<std::int32_t> sums_;
  std::vector<std::uint32_t> rounds_;
  std::uint32_t round_ = 1;
};

// pathFreeCapacity of a path of one node or more whose hops are the links at these
// positions of the table, -1 standing for a hop without a link.
std::int32_t hopsFreeCapacity(std::span<const std::int32_t> hops, LinkChannelSums& sums,
                              const network::LinkTable& table);

}  // namespace routing
