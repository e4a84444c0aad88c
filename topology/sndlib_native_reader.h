// Reads a network in SNDlib's native text format.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// The NODES section, "name ( longitude latitude )" per node, and the LINKS section,
// "id ( source target ) ..." per link (what follows the ends on the link's line is
// skipped). Other sections (META, DEMANDS, ADMISSIBLE_PATHS, ...) and '#' comments are
// skipped. Links are undirected; node names are UTF-8 (Latin-1 converted). Throws
// FormatError naming the line for a text without a NODES section, sections not closed,
// malformed node or link entries, a node named twice, or a link naming an unknown node.
Graph readSndlibNative(std::string_view text);

}  // namespace topology
