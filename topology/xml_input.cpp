#include "topology/xml_input.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "topology/graph.h"

namespace topology {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

XmlInput::XmlInput(std::string_view text) {
  lineStarts_.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') lineStarts_.push_back(i + 1);
  }
  const pugi::xml_parse_result result =
      document_.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
  if (!result) {
    const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    throw FormatError(std::string("not well-formed XML: ") + result.description(),
                      static_cast<int>(after - lineStarts_.begin()));
  }
}

pugi::xml_node XmlInput::root(std::string_view rootName, std::string_view format) const {
  const pugi::xml_node element = document_.document_element();
  if (!element || localName(element) != rootName) {
    throw FormatError("not " + std::string(format) + ": the root element is <" +
                          std::string(element ? localName(element) : std::string_view()) +
                          ">, not <" + std::string(rootName) + ">",
                      element ? lineOf(element) : 1);
  }
  return element;
}

int XmlInput::lineOf(pugi::xml_node node) const {
  const std::ptrdiff_t offset = node.offset_debug();
  if (offset < 0) return 0;
  const auto after =
      std::upper_bound(lineStarts_.begin(), lineStarts_.end(), static_cast<std::size_t>(offset));
  return static_cast<int>(after - lineStarts_.begin());
}

std::string_view localName(pugi::xml_node node) {
  std::string_view name = node.name();
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node childNamed(pugi::xml_node parent, std::string_view name) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && localName(child) == name) return child;
  }
  return {};
}

std::string trimmedText(pugi::xml_node node) {
  return std::string(trimmed(node.child_value()));
}

std::optional<double> readNumber(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double requireNumber(std::string_view text, std::string_view what, int line) {
  const std::optional<double> value = readNumber(text);
  if (!value) {
    throw FormatError(std::string(what) + " '" + std::string(text) + "' is not a number", line);
  }
  return *value;
}

}  // namespace topology
