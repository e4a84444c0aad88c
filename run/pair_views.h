// The pairs' views during a run: which view each source decides on, which links each
// view holds, and the copies from the live network that keep each view as fresh as its
// refresh interval says.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/error_reporter.h"
#include "calls/call_source.h"
#include "network/link_state_view.h"
#include "network/link_table.h"
#include "run/path_hops.h"
#include "run/view_sync.h"

namespace run {

class PairViews {
 public:
  // The tables must outlive this object and keep their links while it is in use. With
  // `followLive` and an interval of 0, every pair reads and writes the live table itself
  // (ViewSync::table), which each view would copy at every read, and no view holds links.
  PairViews(const network::LinkTable& loaded, network::LinkTable& live, std::int32_t updateInterval,
            base::ErrorReporter& reporter, bool followLive = false)
      : loaded_(loaded),
        live_(live),
        interval_(updateInterval),
        reporter_(reporter),
        follow_(followLive && updateInterval == 0),
        hops_(follow_) {}
  PairViews(const PairViews&) = delete;
  PairViews& operator=(const PairViews&) = delete;

  // Ties every source, in list order, to its pair's view, adds to each view (as loaded)
  // the links its pair's paths use that it does not hold yet, and looks up where every hop
  // of every path lies. Every source must have its pair's view in `views`. Throws
  // std::bad_alloc when the bookkeeping cannot be made (code 20 reported when a view's
  // link could not be added).
  // `listLinks` keeps each view's list of those links (ViewSync::positions) even where views
  // follow the live network and copy nothing, for readers such as the policies' door.
  void prepare(calls::CallSources& sources, network::LinkStateViews& views, bool listLinks);

  ViewSync& syncOf(std::size_t source) { return *syncOfSource_[source]; }

  // The positions of the path's hop links in the live table and in its pair's view, one
  // entry per hop, -1 where a table lacks the link. Only for paths of prepared sources.
  PathHops hopsOf(const routing::Path& path) const {
    const std::optional<PathHops> known = hops_.find(&path);
    assert(known && "the path belongs to a prepared source");
    return *known;
  }
  // The same for any path; none for a path of no prepared source.
  std::optional<PathHops> findHops(const routing::Path& path) const { return hops_.find(&path); }

  // The refresh checks of the ticks since the view's last check, then the one of `tick`
  // (ticks count from the run's start and never go back). A refresh that falls due is
  // recorded; the copy waits until use().
  void check(ViewSync& sync, std::int64_t tick);

  // Brings a view with a recorded refresh up to date with the live network, before it
  // is read or written.
  void use(ViewSync& sync) { catchUpView(sync, live_, changes_); }

  // After source `source` stepped at `tick`: a recorded refresh that the pair's next check
  // will not replace is copied now, before other pairs change the live network.
  void finishStep(ViewSync& sync, std::size_t source, std::int64_t tick);

  // Where changes to the live table are to be recorded.
  LiveChanges& changes() { return changes_; }

  std::int32_t interval() const { return interval_; }

  // The most hops of any path of the prepared sources.
  std::size_t longestPath() const { return longestPath_; }

 private:
  void addPositions(ViewSync& sync, const routing::PathSet& paths, bool listLinks);
  std::size_t addLink(network::LinkTable& links, std::ptrdiff_t live);
  void rememberHops(const routing::Path& path, const network::LinkTable& view);

  const network::LinkTable& loaded_;
  network::LinkTable& live_;
  std::int32_t interval_;
  base::ErrorReporter& reporter_;
  bool follow_;
  LiveChanges changes_;
  std::vector<ViewSync> syncs_;
  std::vector<ViewSync*> syncOfSource_;
  PathHopsIndex hops_;
  std::vector<std::int32_t> hopsLive_;
  std::vector<std::int32_t> hopsInView_;
  std::size_t longestPath_ = 0;
};

}  // namespace run
