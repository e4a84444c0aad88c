#include "calls/run_setup.h"

namespace calls {

void releaseCallSources(NetworkState& network, RunResources& resources) {
  network::freeViews(resources.views);
  freeCallSources(network.callSources);
  routing::freeRouteTable(resources.routeTable);
}

}  // namespace calls
