// Call sources: one call file per origin/destination pair with its calls and candidate
// paths, and the reading of call-file lines.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "base/input_file.h"
#include "base/output.h"
#include "calls/call_timeline.h"
#include "network/link_table.h"
#include "routing/path.h"

namespace calls {

struct CallSource {
  std::unique_ptr<base::InputFile> file;
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

// The two fields of one call-file line.
struct CallLine {
  std::int32_t first = 0;
  std::int32_t second = 0;
};

// Appends a source that takes over the file. Without a file, with an origin or
// destination of -1, or without memory: prints "error 510", returns none, and the file
// stays with the caller.
CallSource* addCallSource(CallSources& list, std::unique_ptr<base::InputFile>& file,
                          network::NodeId origin, network::NodeId destination,
                          base::Output& console);

// Reads the next line (at most 99 characters, the newline included: a longer line is
// read in pieces) into `line`. False when the read met the end of the file, and from
// then on; the pair is then of no use.
bool readCallLine(CallSource& source, CallLine& line);

// Closes every file and frees the calls and paths; the list ends empty.
void freeCallSources(CallSources& list);

}  // namespace calls
