#include "calls/run_loop.h"

#include <cassert>
#include <span>

#include "calls/call_timeline.h"
#include "calls/path_selection.h"
#include "calls/wavelength_assignment.h"
#include "routing/path.h"

namespace calls {

namespace {

std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

class RunLoop {
 public:
  RunLoop(NetworkState& network, RunResources& resources, const RunSettings& settings)
      : net_(network), res_(resources), settings_(settings), out_(resources.console) {}

  void run() {
    bool endMark = net_.callSources.empty();
    while (!endMark) {
      for (CallSource& source : net_.callSources) endMark = sourceStep(source) || endMark;
      currentTime_ = wrappingAdd(currentTime_, 1);
    }
    printBlockingReport(res_.blockingTypes, kBlockingTypeCount, out_);
    out_.write("Pulse tecla para continuar...");
    out_.discardPending();
    out_.readKey();
    cleanUp();
  }

 private:
  // True when the source holds no call after its start pass.
  bool sourceStep(CallSource& source) {
    readLine(source);
    network::LinkStateView* view = network::findView(res_.views, source.origin, source.destination);
    assert(view != nullptr && "every call source has its pair's view");
    refreshIfDue(*view);
    CallCursor cursor;
    while (findNextCall(source.calls, cursor, currentTime_, CallSearch::kStarting)) {
      startCall(source, *view, *cursor.call);
    }
    if (source.calls.empty()) {
      out_.write("\nFin Lista de CALLS ");
      return true;
    }
    cursor.clear();
    while (findNextCall(source.calls, cursor, currentTime_, CallSearch::kEnding)) {
      endCall(*view, *cursor.call);
      removeCall(source.calls, cursor);
    }
    return false;
  }

  void readLine(CallSource& source) {
    if (!readCallLine(source, line_)) return;
    out_.write("\nTIME=");
    out_.writeInt(currentTime_);
    out_.write(" ");
    if (const Call* newest = source.calls.newest()) lastStart_ = newest->start();
    const Call* call =
        pushCall(source.calls, wrappingAdd(lastStart_, line_.first), line_.second, res_.reporter);
    if (call == nullptr) return;
    out_.write("\n");
    out_.writeInt(call->duration());
    out_.write(" - ");
    out_.writeInt(call->start());
    out_.write(" ");
  }

  void refreshIfDue(network::LinkStateView& view) {
    const auto dueAt =
        static_cast<std::uint32_t>(wrappingAdd(view.lastRefresh, settings_.updateInterval));
    if (static_cast<std::uint32_t>(currentTime_) < dueAt) return;
    network::refreshView(view, net_.liveTable, currentTime_, res_.reporter);
  }

  void printTimes(const Call& call, std::string_view mark) {
    out_.write("\n\t");
    out_.writeInt(call.duration());
    out_.write("-");
    out_.writeInt(call.start());
    out_.write(mark);
  }

  void startCall(CallSource& source, network::LinkStateView& view, Call& call) {
    refreshIfDue(view);
    call.path = choosePath(settings_.pathPolicy, settings_.pathCount, source, res_.routeTable,
                           view.links, res_.random, res_.reporter);
    out_.write("\n\t");
    if (call.path != nullptr) routing::printPath(*call.path, out_);
    printTimes(call, " H ");
    if (call.path != nullptr) assign(view, call);
    call.active = true;
    if (call.path == nullptr) {
      res_.reporter.reportError(1001);
      return;
    }
    reserve(view, call);
  }

  void assign(network::LinkStateView& view, Call& call) {
    const bool carried =
        assignWavelengths(workspace_, view.links, *call.path, std::span(net_.wavelengthOrder),
                          res_.blockingTypes, res_.reporter);
    if (!carried) out_.write(" BLOKEO 0 ");
    copyHops(workspace_.hops, call.hops, res_.reporter);
    freeHops(workspace_.hops);
  }

  void reserve(network::LinkStateView& view, Call& call) {
    out_.write("      ");
    const routing::Path& path = *call.path;
    for (std::size_t k = 0; k < call.hops.size() && k + 1 < path.size(); ++k) {
      HopAssignment& hop = call.hops[k];
      network::Link* viewLink = network::findLink(view.links, path[k], path[k + 1]);
      network::Link* liveLink = network::findLink(net_.liveTable, path[k], path[k + 1]);
      if (viewLink == nullptr || liveLink == nullptr) continue;
      std::int32_t& liveFree = net_.liveTable.freeFibers(*liveLink)[hop.wavelength];
      if (liveFree <= 0) {
        out_.write(" BLOK NO ACTUAL0 ");
        recordBlocking(res_.blockingTypes[kUpdateError], currentTime_, 0, res_.reporter);
        continue;
      }
      if (hop.regenerate && liveLink->regenerators <= 0) {
        out_.write(" BLOK NO ACTUAL1 ");
        recordBlocking(res_.blockingTypes[kUpdateError], currentTime_, 1, res_.reporter);
      } else {
        if (hop.regenerate) {
          --viewLink->regenerators;
          --liveLink->regenerators;
        }
        --view.links.freeFibers(*viewLink)[hop.wavelength];
        --liveFree;
        hop.reserved = true;
      }
      out_.writeInt(hop.wavelength);
      out_.write("-");
    }
  }

  void endCall(network::LinkStateView& view, const Call& call) {
    printTimes(call, " F ");
    if (call.path == nullptr) return;
    out_.write("      ");
    if (call.hops.empty()) out_.write("Llamada con Bloqueo...");
    const routing::Path& path = *call.path;
    for (std::size_t k = 0; k < call.hops.size() && k + 1 < path.size(); ++k) {
      const HopAssignment& hop = call.hops[k];
      network::Link* viewLink = network::findLink(view.links, path[k], path[k + 1]);
      network::Link* liveLink = network::findLink(net_.liveTable, path[k], path[k + 1]);
      // Only what the reservation took is given back.
      if (viewLink != nullptr && liveLink != nullptr && hop.reserved) {
        ++view.links.freeFibers(*viewLink)[hop.wavelength];
        ++net_.liveTable.freeFibers(*liveLink)[hop.wavelength];
        if (hop.regenerate) {
          ++viewLink->regenerators;
          ++liveLink->regenerators;
        }
      }
      out_.writeInt(hop.wavelength);
      out_.write("-");
    }
  }

  void cleanUp() {
    for (BlockingType& type : res_.blockingTypes) freeBlockingEvents(type);
    releaseCallSources(net_, res_);
    // Pairing again gives the later link of each pair the earlier one's regenerators, as
    // after loading, so every run starts from the same live state.
    network::copyLinksPaired(net_.loadedTable, net_.liveTable, res_.reporter);
  }

  NetworkState& net_;
  RunResources& res_;
  const RunSettings& settings_;
  shell::Console& out_;
  std::int32_t currentTime_ = 0;
  std::int32_t lastStart_ = 0;
  CallLine line_;
  AssignmentWorkspace workspace_;
};

}  // namespace

void runSimulation(NetworkState& network, RunResources& resources, const RunSettings& settings) {
  RunLoop(network, resources, settings).run();
}

void releaseCallSources(NetworkState& network, RunResources& resources) {
  network::freeViews(resources.views);
  freeCallSources(network.callSources);
  routing::freeRouteTable(resources.routeTable);
}

}  // namespace calls
