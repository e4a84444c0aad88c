#include "run/pair_views.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <unordered_map>

#include "run/run_setup.h"

namespace run {

void PairViews::prepare(calls::CallSources& sources, network::LinkStateViews& views,
                        bool listLinks) {
  changes_.reset(live_);
  std::unordered_map<network::LinkStateView*, std::size_t> syncOfView;
  std::vector<std::size_t> syncIndex;
  syncIndex.reserve(sources.size());
  std::size_t paths = 0;
  std::size_t hops = 0;
  for (const calls::CallSource& source : sources) {
    for (const routing::PathSetItem& item : source.paths) {
      ++paths;
      hops += item.path.empty() ? 0 : item.path.size() - 1;
    }
  }
  // All of Kdl's pairs hold tens of millions of hops: growing by half would waste a third.
  hops_.reserve(paths, hops);
  std::size_t position = 0;
  for (calls::CallSource& source : sources) {
    network::LinkStateView* view = network::findView(views, source.origin, source.destination);
    assert(view != nullptr && "every call source has its pair's view");
    auto [found, added] = syncOfView.try_emplace(view, syncs_.size());
    if (added) {
      syncs_.emplace_back();
      syncs_.back().view = view;
      syncs_.back().table = follow_ ? &live_ : &view->links;
      syncs_.back().firstSource = position;
    }
    ViewSync& sync = syncs_[found->second];
    sync.lastSource = position;
    addPositions(sync, source.paths, listLinks || !follow_);
    syncIndex.push_back(found->second);
    ++position;
  }
  // A pair's list is complete once its last source is added; large networks have many.
  for (ViewSync& sync : syncs_) sync.positions.shrink_to_fit();
  syncOfSource_.reserve(syncIndex.size());
  for (std::size_t index : syncIndex) syncOfSource_.push_back(&syncs_[index]);
}

// The links the pair's paths use, added to the view from the loaded network when it does
// not hold them yet (a new view holds none: it starts as the loaded network).
void PairViews::addPositions(ViewSync& sync, const routing::PathSet& paths, bool listLinks) {
  network::LinkTable& links = *sync.table;
  for (const routing::PathSetItem& item : paths) {
    if (!listLinks) {
      rememberHops(item.path, links);
      continue;
    }
    for (std::size_t k = 0; k + 1 < item.path.size(); ++k) {
      const network::NodeId a = item.path[k];
      const network::NodeId b = item.path[k + 1];
      const std::ptrdiff_t live = live_.positionOf(a, b);
      if (live < 0) continue;
      const std::ptrdiff_t held = follow_ ? live : links.positionOf(a, b);
      const std::size_t view = held >= 0 ? static_cast<std::size_t>(held) : addLink(links, live);
      const bool known = std::any_of(sync.positions.begin(), sync.positions.end(),
                                     [view](const auto& at) { return at.view == view; });
      if (!known) {
        sync.positions.push_back(
            {static_cast<std::uint32_t>(live), static_cast<std::uint32_t>(view)});
      }
    }
    rememberHops(item.path, links);
  }
}

// Appends the link at a live position to a view, as loaded; returns its view position.
std::size_t PairViews::addLink(network::LinkTable& links, std::ptrdiff_t live) {
  const network::Link& from = loaded_[static_cast<std::size_t>(live)];
  if (network::createLink(links, from.from, from.to, reporter_) == nullptr) {
    throw std::bad_alloc();
  }
  network::Link& added = links[links.size() - 1];
  std::copy_n(loaded_.freeFibers(from), static_cast<std::size_t>(loaded_.lambdaCount()),
              links.freeFibers(added));
  added.regenerators = from.regenerators;
  return links.size() - 1;
}

void PairViews::rememberHops(const routing::Path& path, const network::LinkTable& view) {
  hopsLive_.clear();
  hopsInView_.clear();
  for (std::size_t k = 0; k + 1 < path.size(); ++k) {
    hopsLive_.push_back(static_cast<std::int32_t>(live_.positionOf(path[k], path[k + 1])));
    if (!follow_) {
      hopsInView_.push_back(static_cast<std::int32_t>(view.positionOf(path[k], path[k + 1])));
    }
  }
  if (hops_.add(&path, hopsLive_, hopsInView_) && path.size() > 1) {
    longestPath_ = std::max(longestPath_, path.size() - 1);
  }
}

void PairViews::check(ViewSync& sync, std::int64_t tick) {
  network::LinkStateView& view = *sync.view;
  if (follow_) {
    // Always due at an interval of 0; there is nothing to copy.
    view.lastRefresh = clockOf(tick);
    sync.checkedThrough = tick;
    return;
  }
  if (sync.checkedThrough < tick - 1) {
    const CheckResult skipped =
        applyRefreshChecks(view.lastRefresh, interval_, clockOf(sync.checkedThrough + 1),
                           static_cast<std::uint64_t>(tick - 1 - sync.checkedThrough));
    view.lastRefresh = skipped.lastRefresh;
    sync.pending = sync.pending || skipped.refreshed;
  }
  sync.checkedThrough = tick;
  const std::int32_t now = clockOf(tick);
  if (!refreshDue(now, view.lastRefresh, interval_)) return;
  view.lastRefresh = now;
  sync.pending = true;
}

void PairViews::finishStep(ViewSync& sync, std::size_t source, std::int64_t tick) {
  if (!sync.pending) return;
  const std::int32_t now = clockOf(tick);
  const std::int32_t nextCheck = source < sync.lastSource ? now : wrappingAdd(now, 1);
  if (!refreshDue(nextCheck, now, interval_)) use(sync);
}

}  // namespace run
