// Call sources and the reading of call-file lines.
#include "calls/call_source.h"

#include <new>

namespace calls {

CallSource* addCallSource(CallSources& list, std::unique_ptr<CallLines>& lines,
                          network::NodeId origin, network::NodeId destination,
                          base::Output& console) {
  if (lines && origin != network::kNoNode && destination != network::kNoNode) {
    try {
      CallSource& source = list.emplace_back();
      source.lines = std::move(lines);
      source.origin = origin;
      source.destination = destination;
      return &source;
    } catch (const std::bad_alloc&) {
    }
  }
  console.write("error 510");
  return nullptr;
}

CallSource* addCallSource(CallSources& list, std::unique_ptr<base::InputFile>& file,
                          network::NodeId origin, network::NodeId destination,
                          base::Output& console) {
  std::unique_ptr<CallLines> lines;
  if (file) {
    try {
      lines = std::make_unique<FileCallLines>(std::move(file));
    } catch (const std::bad_alloc&) {
      console.write("error 510");
      return nullptr;
    }
  }
  CallSource* source = addCallSource(list, lines, origin, destination, console);
  // The file stays with the caller when no source took it.
  if (source == nullptr && lines) file = static_cast<FileCallLines&>(*lines).release();
  return source;
}

bool readCallLine(CallSource& source, CallLine& line) {
  return source.lines != nullptr && source.lines->next(line);
}

void freeCallSources(CallSources& list) {
  for (CallSource& source : list) {
    source.lines.reset();
    freeCalls(source.calls);
    routing::freePathSet(source.paths);
  }
  list.clear();
}

}  // namespace calls
