// Reads a network given as a plain list of edges, one "a,b[,regenerators]" per line.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// Comma-separated lines "a,b" or "a,b,regenerators"; fields may be quoted ("" for a quote
// inside) and have blanks around them; '#' lines and blank lines are skipped. The first line
// is a header, and skipped, when its third field is not a whole number, or when its fields
// are source,target / from,to / origin,destination. Nodes are the names the edges use: when
// all are whole numbers they are ordered by value (and, unless they are exactly 0..n-1,
// named by it), otherwise in order of first use and named by their text (UTF-8; Latin-1
// converted). The graph is undirected. Throws FormatError naming the line of a line with
// fewer than two or more than three fields, an empty node, or a count that is not a whole
// number of 0 or more.
Graph readEdgeList(std::string_view text);

}  // namespace topology
