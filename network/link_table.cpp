// The link table: creation, lookup by ordered pair, copies and shared counter arrays.
#include "network/link_table.h"

#include <algorithm>
#include <new>

namespace network {

namespace {

std::uint64_t pairKey(NodeId from, NodeId to) {
  return (std::uint64_t{static_cast<std::uint32_t>(from)} << 32) | static_cast<std::uint32_t>(to);
}

}  // namespace

LinkTable::LinkTable(std::int32_t lambdaCount, std::int32_t fiberCount)
    : lambdaCount_(std::max(lambdaCount, 0)), fiberCount_(fiberCount) {}

std::ptrdiff_t LinkTable::positionOf(NodeId from, NodeId to) const {
  auto found = positionOfPair_.find(pairKey(from, to));
  return found == positionOfPair_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}

void LinkTable::shareCounters(std::size_t position, std::size_t other) {
  links_[position].counterArray = links_[other].counterArray;
}

// Built aside and then swapped in, so that a failure leaves the old index whole.
bool rebuildIndex(LinkTable& table) {
  try {
    std::unordered_map<std::uint64_t, std::size_t> index;
    for (std::size_t i = 0; i < table.links_.size(); ++i) {
      index.emplace(pairKey(table.links_[i].from, table.links_[i].to), i);
    }
    table.positionOfPair_.swap(index);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

Link* createLink(LinkTable& table, NodeId from, NodeId to, base::ErrorReporter& reporter) {
  const std::size_t oldCounters = table.counters_.size();
  try {
    // Room for the new link before anything changes; growth stays geometric, since an
    // exact reserve would copy the whole table on every creation.
    if (table.links_.size() == table.links_.capacity()) {
      table.links_.reserve(std::max<std::size_t>(16, 2 * table.links_.capacity()));
    }
    table.counters_.resize(oldCounters + static_cast<std::size_t>(table.lambdaCount_),
                           table.fiberCount_);
    table.positionOfPair_.emplace(pairKey(from, to), table.links_.size());
  } catch (const std::bad_alloc&) {
    table.counters_.resize(oldCounters);
    reporter.reportError(20);
    return nullptr;
  }
  table.links_.push_back(Link{from, to, -1, table.arrayCount_++});
  return &table.links_.back();
}

const Link* findLink(const LinkTable& table, NodeId from, NodeId to, std::size_t startPosition) {
  const auto& links = table.links();
  if (from == kNoNode || to == kNoNode) {
    for (std::size_t i = startPosition; i < links.size(); ++i) {
      if (from == kNoNode ? links[i].to == to : links[i].from == from) return &links[i];
    }
    return nullptr;
  }
  const std::ptrdiff_t position = table.positionOf(from, to);
  if (position < 0 || static_cast<std::size_t>(position) < startPosition) return nullptr;
  return &links[static_cast<std::size_t>(position)];
}

Link* findLink(LinkTable& table, NodeId from, NodeId to, std::size_t startPosition) {
  return const_cast<Link*>(findLink(static_cast<const LinkTable&>(table), from, to, startPosition));
}

void freeLinks(LinkTable& table) {
  table.links_.clear();
  table.links_.shrink_to_fit();
  table.counters_.clear();
  table.counters_.shrink_to_fit();
  table.positionOfPair_.clear();
  table.arrayCount_ = 0;
}

bool copyLinks(const LinkTable& source, LinkTable& destination, base::ErrorReporter& reporter) {
  bool endsChanged = false;
  bool complete = true;
  const auto lambdas =
      static_cast<std::size_t>(std::min(source.lambdaCount(), destination.lambdaCount()));
  for (std::size_t i = 0; i < source.size(); ++i) {
    const Link& from = source[i];
    // Created with its ends, so that the index needs no rebuilding for it.
    if (i == destination.size() &&
        createLink(destination, from.from, from.to, reporter) == nullptr) {
      complete = false;
      break;
    }
    Link& to = destination[i];
    std::copy_n(source.freeFibers(from), lambdas, destination.freeFibers(to));
    endsChanged = endsChanged || to.from != from.from || to.to != from.to;
    to.from = from.from;
    to.to = from.to;
    to.regenerators = from.regenerators;
  }
  // Links whose ends moved cannot be found without the index: rather no links than
  // links found at the wrong places.
  if (endsChanged && !rebuildIndex(destination)) {
    freeLinks(destination);
    reporter.reportError(20);
    return false;
  }
  return complete;
}

bool copyLinksPaired(const LinkTable& source, LinkTable& destination,
                     base::ErrorReporter& reporter) {
  const bool complete = copyLinks(source, destination, reporter);
  for (std::size_t i = 0; i < destination.size(); ++i) {
    const Link& earlier = destination[i];
    Link* later = findLink(destination, earlier.to, earlier.from, i);
    if (later == nullptr) continue;
    later->regenerators = earlier.regenerators;
    later->counterArray = earlier.counterArray;
  }
  return complete;
}

}  // namespace network
