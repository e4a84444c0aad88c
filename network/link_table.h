// The network state: directed links with per-wavelength free-fibre counters and
// regenerator counts, in creation order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "base/error_reporter.h"

namespace network {

using NodeId = std::int32_t;
inline constexpr NodeId kNoNode = -1;

struct Link {
  NodeId from = kNoNode;
  NodeId to = kNoNode;
  // -1 until the topology reader or a copy sets it.
  std::int32_t regenerators = -1;
  // Which counter array of the table this link uses; two directions of a link may share one.
  std::int32_t counterArray = -1;
};

// Links keep the order in which they were created and are only ever removed all at once,
// so a position names the same link until `freeLinks`; copies between tables work
// position by position. Looking up an ordered pair takes constant time and finds the first
// link of the pair. Pointers to links and to counters stay valid until a link is created
// or the table is emptied.
class LinkTable {
 public:
  // A lambdaCount below 0 is taken as 0; new links' counters start at fiberCount.
  LinkTable(std::int32_t lambdaCount, std::int32_t fiberCount);

  std::int32_t lambdaCount() const { return lambdaCount_; }
  std::int32_t fiberCount() const { return fiberCount_; }
  std::size_t size() const { return links_.size(); }
  bool empty() const { return links_.empty(); }

  Link& operator[](std::size_t position) { return links_[position]; }
  const Link& operator[](std::size_t position) const { return links_[position]; }
  const std::vector<Link>& links() const { return links_; }

  // The free-fibre counters of a link of this table: `lambdaCount` entries, entry w for
  // wavelength w. Links that share an array (`shareCounters`) give the same entries.
  std::int32_t* freeFibers(const Link& link) { return counters_.data() + arrayStart(link); }
  const std::int32_t* freeFibers(const Link& link) const {
    return counters_.data() + arrayStart(link);
  }
  // Every counter array, one after another, array a at a * lambdaCount; the rows a link's
  // `counterArray` names. Valid as the pointers of `freeFibers` are.
  std::span<const std::int32_t> counters() const { return counters_; }

  // Position of the first link (from, to), or -1.
  std::ptrdiff_t positionOf(NodeId from, NodeId to) const;

  // Lets the link at `position` use the counter array of the link at `other` from now on;
  // both positions must hold links.
  void shareCounters(std::size_t position, std::size_t other);

 private:
  friend Link* createLink(LinkTable&, NodeId, NodeId, base::ErrorReporter&);
  friend void freeLinks(LinkTable&);
  friend bool rebuildIndex(LinkTable&);

  std::size_t arrayStart(const Link& link) const {
    return static_cast<std::size_t>(link.counterArray) * static_cast<std::size_t>(lambdaCount_);
  }

  std::int32_t lambdaCount_;
  std::int32_t fiberCount_;
  std::vector<Link> links_;
  std::vector<std::int32_t> counters_;
  std::int32_t arrayCount_ = 0;
  std::unordered_map<std::uint64_t, std::size_t> positionOfPair_;
};

// Appends the link (from, to) with its own counters, each `fiberCount`, and regenerators
// -1, and returns it. None, and the table unchanged, after reporting code 20.
Link* createLink(LinkTable& table, NodeId from, NodeId to, base::ErrorReporter& reporter);

// With from -1, the first link at or after `startPosition` that ends at `to`; otherwise
// with to -1, the first there that starts at `from`; otherwise the first link (from, to)
// when it is at or after `startPosition`. None when there is no match.
Link* findLink(LinkTable& table, NodeId from, NodeId to, std::size_t startPosition = 0);
const Link* findLink(const LinkTable& table, NodeId from, NodeId to, std::size_t startPosition = 0);

// Empties the table and gives back its storage, counter arrays included; cannot fail.
void freeLinks(LinkTable& table);

// Copies the source into the destination position by position: counters by value into the
// destination's own arrays, ends and regenerators. Links beyond the source's length are
// left alone; missing ones are created first. False when a link could not be created
// (code 20 reported); the copy then stops there. When the ends of links already there
// change and the index cannot be rebuilt, the destination is emptied (code 20).
bool copyLinks(const LinkTable& source, LinkTable& destination, base::ErrorReporter& reporter);

// `copyLinks`, then joins the two directions of every link: the later link of a pair takes
// the earlier one's counter array and regenerator count.
bool copyLinksPaired(const LinkTable& source, LinkTable& destination,
                     base::ErrorReporter& reporter);

}  // namespace network
