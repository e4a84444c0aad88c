// The topology file formats the lab reads, told from a file's name or a user's word, and
// read into one graph.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "topology/graph.h"

namespace topology {

enum class Format { kCon, kGml, kGraphml, kSndlibNative, kSndlibXml, kEdgeList };

// Larger files are refused before they are read: the largest networks of the field are a
// few megabytes in any of the formats.
constexpr std::size_t kMaxFileBytes = 32u << 20;

// The word --format takes and the summary shows: con, gml, graphml, sndlib, sndlib-xml, csv.
std::string_view formatName(Format format);

// The format a --format word names; none for another word.
std::optional<Format> formatNamed(std::string_view word);

// By the file's extension, in any case: .con, .gml, .graphml, .txt and .sndlib (SNDlib
// native), .xml (SNDlib XML), .csv; none for another extension.
std::optional<Format> formatOfPath(std::string_view path);

// By the first bytes of the text, for a name that tells nothing: GML starts with keys, a
// GraphML or SNDlib XML document with its root element, SNDlib native with its "?SNDlib"
// line or a section, a matrix has its "tabla" record. None when it looks like none of them.
std::optional<Format> formatOfText(std::string_view text);

// The graph the text describes in the format (any but kCon). Throws FormatError.
Graph readGraph(Format format, std::string_view text);

}  // namespace topology
