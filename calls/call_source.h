// Call sources: one call file per origin/destination pair with its calls and candidate
// paths, and the reading of call-file lines.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "base/input_file.h"
#include "base/output.h"
#include "calls/call_lines.h"
#include "calls/call_timeline.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace calls {

struct CallSource {
  std::unique_ptr<CallLines> lines;
  network::NodeId origin = network::kNoNode;
  network::NodeId destination = network::kNoNode;
  CallList calls;
  // Route entries and calls refer to these paths, so the source must outlive them.
  routing::PathSet paths;
  // The search that found `paths` ended at its limit, so the network may hold paths it
  // never reached.
  bool searchLimited = false;
};

// In the order added. Sources never move once added (appending keeps the addresses of
// the sources already there), so references into a source's paths stay valid.
using CallSources = std::deque<CallSource>;

// Appends a source that takes over the lines. Without lines, with an origin or
// destination of -1, or without memory: prints "error 510", returns none, and the lines
// stay with the caller.
CallSource* addCallSource(CallSources& list, std::unique_ptr<CallLines>& lines,
                          network::NodeId origin, network::NodeId destination,
                          base::Output& console);
// The same for the lines of a call file (FileCallLines).
CallSource* addCallSource(CallSources& list, std::unique_ptr<base::InputFile>& file,
                          network::NodeId origin, network::NodeId destination,
                          base::Output& console);

// Reads the source's next line into `line`. False at the end of its lines, and from then
// on; the pair is then of no use.
bool readCallLine(CallSource& source, CallLine& line);

// Closes every file and frees the calls and paths; the list ends empty.
void freeCallSources(CallSources& list);

}  // namespace calls
