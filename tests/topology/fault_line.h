// The line a topology reader's fault names, for tests that check a user is sent to the right
// place.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// The FormatError's line (0 for a fault without one); -1 when the text reads without fault.
template <typename Reader>
int faultLine(Reader read, std::string_view text) {
  try {
    read(text);
  } catch (const FormatError& error) {
    return error.line;
  }
  return -1;
}

}  // namespace topology
