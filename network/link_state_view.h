// The advertised link state: per origin/destination pair, a possibly stale copy of the
// link table on which routing decisions are taken.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_map>

#include "base/error_reporter.h"
#include "network/link_table.h"

namespace network {

struct LinkStateView {
  LinkStateView(std::int32_t id, std::int32_t lastRefresh, NodeId origin, NodeId destination,
                std::int32_t lambdaCount, std::int32_t fiberCount)
      : id(id),
        lastRefresh(lastRefresh),
        origin(origin),
        destination(destination),
        links(lambdaCount, fiberCount) {}

  std::int32_t id;
  // Tick of the last refresh.
  std::int32_t lastRefresh;
  NodeId origin;
  NodeId destination;
  // Its own counter arrays: the two directions of a link are not shared here.
  LinkTable links;
};

// The views, newest first. A view keeps its address until it is discarded or freed. The
// sequence of view numbers lives as long as this object and is never reset.
class LinkStateViews {
 public:
  bool empty() const { return views_.empty(); }
  std::size_t size() const { return views_.size(); }
  // Newest first.
  auto begin() { return views_.begin(); }
  auto end() { return views_.end(); }
  auto begin() const { return views_.begin(); }
  auto end() const { return views_.end(); }
  // The newest view; the list must not be empty.
  LinkStateView& front() { return views_.front(); }

 private:
  friend std::int32_t createView(LinkStateViews&, std::int32_t, NodeId, NodeId, std::int32_t,
                                 std::int32_t, base::ErrorReporter&);
  friend LinkStateView* findView(LinkStateViews&, NodeId, NodeId);
  friend void freeViews(LinkStateViews&);
  friend void discardNewestView(LinkStateViews&);

  std::deque<LinkStateView> views_;
  // The newest view of each ordered pair.
  std::unordered_map<std::uint64_t, LinkStateView*> newestOfPair_;
  std::int32_t viewSequence_ = 0;
};

// Adds a view with an empty link table as the newest of the list and of its pair, and
// returns its number, the next of the sequence (1 for the first of the object). Returns 0
// after reporting code 1500 when it cannot be allocated; the list and the sequence are
// then unchanged.
std::int32_t createView(LinkStateViews& list, std::int32_t lastRefresh, NodeId origin,
                        NodeId destination, std::int32_t lambdaCount, std::int32_t fiberCount,
                        base::ErrorReporter& reporter);

// The newest view of exactly the ordered pair (origin, destination), or none.
LinkStateView* findView(LinkStateViews& list, NodeId origin, NodeId destination);

// Takes back the newest view, when what it was made for could not be completed; its
// number stays used, and the pair's earlier view, if any, is found again. Cannot fail.
void discardNewestView(LinkStateViews& list);

// Releases every view with its links; the sequence goes on from where it was. Cannot fail.
void freeViews(LinkStateViews& list);

}  // namespace network
