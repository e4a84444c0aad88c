#include "topology/topology_format.h"

#include <algorithm>
#include <array>
#include <string>

#include "topology/edge_list_reader.h"
#include "topology/gml_reader.h"
#include "topology/graphml_reader.h"
#include "topology/sndlib_native_reader.h"
#include "topology/sndlib_xml_reader.h"

namespace topology {

namespace {

constexpr std::array<std::pair<Format, std::string_view>, 6> kNames = {{
    {Format::kCon, "con"},
    {Format::kGml, "gml"},
    {Format::kGraphml, "graphml"},
    {Format::kSndlibNative, "sndlib"},
    {Format::kSndlibXml, "sndlib-xml"},
    {Format::kEdgeList, "csv"},
}};

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::string_view formatName(Format format) {
  for (const auto& [named, name] : kNames) {
    if (named == format) return name;
  }
  return "?";
}

std::optional<Format> formatNamed(std::string_view word) {
  for (const auto& [format, name] : kNames) {
    if (name == lowered(word)) return format;
  }
  return std::nullopt;
}

std::optional<Format> formatOfPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string extension = lowered(base.substr(dot + 1));
  if (extension == "con") return Format::kCon;
  if (extension == "gml") return Format::kGml;
  if (extension == "graphml") return Format::kGraphml;
  if (extension == "txt" || extension == "sndlib") return Format::kSndlibNative;
  if (extension == "xml") return Format::kSndlibXml;
  if (extension == "csv") return Format::kEdgeList;
  return std::nullopt;
}

std::optional<Format> formatOfText(std::string_view text) {
  const std::string head = lowered(text.substr(0, 4096));
  const std::size_t start = head.find_first_not_of(" \t\r\n\xef\xbb\xbf");
  if (start == std::string::npos) return std::nullopt;
  if (head[start] == '<') {
    if (head.find("<graphml") != std::string::npos) return Format::kGraphml;
    if (head.find("<network") != std::string::npos) return Format::kSndlibXml;
    return std::nullopt;
  }
  if (head.compare(start, 7, "?sndlib") == 0) return Format::kSndlibNative;
  const std::size_t tabla = head.find("*tabla");
  if (tabla != std::string::npos && head.find('*') == tabla) return Format::kCon;
  // Any GML file holds "graph [", any SNDlib native file "NODES (", after optional comments.
  const auto holds = [&](std::string_view word, char bracket) {
    for (std::size_t at = head.find(word); at != std::string::npos; at = head.find(word, at + 1)) {
      const std::size_t next = head.find_first_not_of(" \t\r\n", at + word.size());
      if (next != std::string::npos && head[next] == bracket) return true;
    }
    return false;
  };
  if (holds("graph", '[')) return Format::kGml;
  if (holds("nodes", '(')) return Format::kSndlibNative;
  return std::nullopt;
}

Graph readGraph(Format format, std::string_view text) {
  switch (format) {
    case Format::kGml:
      return readGml(text);
    case Format::kSndlibNative:
      return readSndlibNative(text);
    case Format::kEdgeList:
      return readEdgeList(text);
    case Format::kGraphml:
      return readGraphml(text);
    case Format::kSndlibXml:
      return readSndlibXml(text);
    case Format::kCon:
      break;
  }
  throw FormatError("a .con file is already the console's matrix, not a graph to convert", 0);
}

}  // namespace topology
