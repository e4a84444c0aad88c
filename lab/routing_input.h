// The routing a --routing option names, made ready for the runs: one of the built-in searches,
// or `paths:FILE`, the file read and checked against the network before any run.
#pragma once

#include <string>

#include "base/config.h"
#include "experiment/routing_choice.h"
#include "lab/commands.h"

namespace lab {

// The option's routing on the topology text (the console's, as the runs load it). A paths
// file's fault throws UsageError naming the file and the line ("p.txt line 7: 3-9 is not a
// link of the network"). When some pair has more paths than config.pathCount, says on io.err
// that every path of a pair is a candidate.
experiment::RoutingChoice routingOf(const std::string& option, const std::string& topologyText,
                                    const base::Config& config, LabIo& io);

// The name records and CSV comments give the routing: "paths:FILE sha256 HEX" for a file.
std::string routingProvenance(const experiment::RoutingChoice& routing);

}  // namespace lab
