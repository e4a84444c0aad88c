// A new call source with everything a run needs of it: its pair's view, its candidate
// paths (searched, printed and kept) and their route entries.
#pragma once

#include <cstdint>
#include <memory>

#include "base/console.h"
#include "base/error_reporter.h"
#include "base/input_file.h"
#include "calls/call_source.h"
#include "calls/run_loop.h"
#include "network/link_state_view.h"
#include "routing/candidate_search.h"
#include "routing/route_table.h"

namespace calls {

struct SourceSetup {
  network::LinkStateViews& views;
  routing::RouteTable& routeTable;
  base::Console& console;
  base::ErrorReporter& reporter;
  std::int32_t maxCoincidences = 2;
  std::int32_t pathCount = 4;
  routing::SearchLimits searchLimits = {};
};

// For a pair already checked against the node count and an open call file: finds or makes
// the pair's view, appends the source, prints "\nCreando SPF..." and the candidate paths,
// and enters them in the route table. None when the view or the source cannot be made;
// nothing is then left half-made (a view made for it is taken back).
CallSource* setUpCallSource(NetworkState& network, const SourceSetup& setup,
                            std::unique_ptr<base::InputFile>& file, network::NodeId origin,
                            network::NodeId destination);

}  // namespace calls
