// SNDlib's XML network format.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// The <node>s and <link>s of <networkStructure>, in file order; demands and modules are
// left out. Links are undirected, as SNDlib's are. A node's id is its name too; its
// <coordinates> are longitude (x) and latitude (y) when the <nodes> say
// coordinatesType="geographical" (or say nothing); pixel coordinates are not places and
// are left out. Throws FormatError with the line of the first fault: not well-formed XML,
// no network structure, a node without an id or with one already used, a link without
// both ends or naming no node, a coordinate that is not a number.
Graph readSndlibXml(std::string_view text);

}  // namespace topology
