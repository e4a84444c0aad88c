// GraphML, as the Internet Topology Zoo and graph tools write it.
#pragma once

#include <string_view>

#include "topology/graph.h"

namespace topology {

// The first <graph> of the document: its <node> and <edge> children in file order.
// Attributes are found by the attr.name of their <key>, in any case: a node's name from
// "label" (or "name"), its place from "Longitude" and "Latitude", "hyperedge" other than 0
// marks it as not a place; an edge's "regenerators" must be a whole number from 0. A key's
// <default> stands in where an element has no data of its own. The graph is directed when
// its edgedefault says so; an edge whose own "directed" differs from it is refused.
// Throws FormatError with the line of the first fault: not well-formed XML, no graph, a
// node without an id or with one already used, an edge naming no node, a value that is not
// a number.
Graph readGraphml(std::string_view text);

}  // namespace topology
