// Reads a graph written in GML, as the Internet Topology Zoo publishes its networks.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// The first `graph [ ... ]` of the text. Its `directed` flag is kept; `node` lists give id
// (a number or a string), label, Longitude, Latitude and hyperedge; `edge` lists give
// source, target and an optional whole `regenerators`. Other keys, at any depth, are
// skipped; lines starting with '#' are comments. Labels are UTF-8 whatever the file's
// encoding (Latin-1 is converted), with HTML character references decoded.
// Throws FormatError naming the line for text that is not GML, lists left open or closed
// twice, lists nested deeper than a graph needs, nodes without an id or with one id twice,
// and edges naming a node the graph does not hold.
Graph readGml(std::string_view text);

}  // namespace topology
