#include "run/run_setup.h"

namespace run {

void releaseCallSources(NetworkState& network, RunResources& resources) {
  network::freeViews(resources.views);
  calls::freeCallSources(network.callSources);
  routing::freeRouteTable(resources.routeTable);
}

}  // namespace run
