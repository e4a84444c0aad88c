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

// The views, newest first. A view keeps its address until `freeViews`. The sequence of
// view numbers lives as long as this object and is never reset.
class LinkStateViews {
 public:
  bool empty() const { return views_.empty(); }
  std::size_t size() const { return views_.size(); }
  // Newest first.
  auto begin() { return views_.begin(); }
  auto end() { return views_.end(); }
  auto begin() const { return views_.begin(); }
  auto end() const { return views_.end(); }
  LinkStateView& front() { return views_.front(); }
  std::int32_t viewSequence() const { return viewSequence_; }

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

// Pushes a new view with an empty link table at the head of the list and returns its
// number, the next of the sequence (1 for the first of the process). Returns 0 after
// reporting code 1500 when it cannot be allocated; the list and the sequence are then
// unchanged.
std::int32_t createView(LinkStateViews& list, std::int32_t lastRefresh, NodeId origin,
                        NodeId destination, std::int32_t lambdaCount, std::int32_t fiberCount,
                        base::ErrorReporter& reporter);

// The newest view of exactly the ordered pair (origin, destination), or none.
LinkStateView* findView(LinkStateViews& list, NodeId origin, NodeId destination);

// Takes back the view created last, when what it was made for could not be completed; its
// number stays used.
void discardNewestView(LinkStateViews& list);

// Releases every view with its links; the sequence goes on from where it was.
void freeViews(LinkStateViews& list);

// Copies the source into the view's links position by position, then sets `lastRefresh`.
// False when the copy could not complete (code 20 reported). Only for a view whose links
// mirror the source's; the run keeps views holding only their pair's links and copies
// those itself.
bool refreshView(LinkStateView& view, const LinkTable& source, std::int32_t now,
                 base::ErrorReporter& reporter);

}  // namespace network
