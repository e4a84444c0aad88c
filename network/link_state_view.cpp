// The advertised link-state views: creation, numbering, lookup by pair and release.
#include "network/link_state_view.h"

#include <new>

namespace network {

namespace {

std::uint64_t pairKey(NodeId origin, NodeId destination) {
  return (std::uint64_t{static_cast<std::uint32_t>(origin)} << 32) |
         static_cast<std::uint32_t>(destination);
}

}  // namespace

std::int32_t createView(LinkStateViews& list, std::int32_t lastRefresh, NodeId origin,
                        NodeId destination, std::int32_t lambdaCount, std::int32_t fiberCount,
                        base::ErrorReporter& reporter) {
  const std::uint64_t key = pairKey(origin, destination);
  bool keyAdded = false;
  try {
    // The index entry first, so that nothing is left to undo once the view is in the list.
    keyAdded = list.newestOfPair_.try_emplace(key, nullptr).second;
    const std::int32_t id = list.viewSequence_ + 1;
    LinkStateView& view =
        list.views_.emplace_front(id, lastRefresh, origin, destination, lambdaCount, fiberCount);
    list.newestOfPair_[key] = &view;
    list.viewSequence_ = id;
    return id;
  } catch (const std::bad_alloc&) {
    if (keyAdded) list.newestOfPair_.erase(key);
    reporter.reportError(1500);
    return 0;
  }
}

LinkStateView* findView(LinkStateViews& list, NodeId origin, NodeId destination) {
  auto found = list.newestOfPair_.find(pairKey(origin, destination));
  return found == list.newestOfPair_.end() ? nullptr : found->second;
}

void discardNewestView(LinkStateViews& list) {
  if (list.views_.empty()) return;
  const LinkStateView& newest = list.views_.front();
  const std::uint64_t key = pairKey(newest.origin, newest.destination);
  list.views_.pop_front();
  list.newestOfPair_.erase(key);
  for (LinkStateView& view : list.views_) {
    if (pairKey(view.origin, view.destination) == key) {
      list.newestOfPair_[key] = &view;
      break;
    }
  }
}

void freeViews(LinkStateViews& list) {
  list.views_.clear();
  list.newestOfPair_.clear();
}

}  // namespace network
