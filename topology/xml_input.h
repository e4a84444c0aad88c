// An XML file read whole, for the readers of XML topology formats: elements by their name
// without a namespace prefix, and the line each one starts on.
#pragma once

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace topology {

class XmlInput {
 public:
  // Parses the text (UTF-8, UTF-16 or Latin-1 as its declaration says; text reads back as
  // UTF-8). Throws FormatError with the line of the first fault for text that is not
  // well-formed XML.
  explicit XmlInput(std::string_view text);
  XmlInput(const XmlInput&) = delete;
  XmlInput& operator=(const XmlInput&) = delete;

  // The document's root element; its name must be `rootName` (any prefix), or FormatError
  // says that the file is not of `format`.
  pugi::xml_node root(std::string_view rootName, std::string_view format) const;

  // The 1-based line on which the element starts.
  int lineOf(pugi::xml_node node) const;

 private:
  pugi::xml_document document_;
  std::vector<std::size_t> lineStarts_;
};

// The element's name without its namespace prefix.
std::string_view localName(pugi::xml_node node);

// The first child element with that local name; an empty node when there is none.
pugi::xml_node childNamed(pugi::xml_node parent, std::string_view name);

// The element's text with spaces at both ends removed.
std::string trimmedText(pugi::xml_node node);

// The text as a finite number; none when it is not one.
std::optional<double> readNumber(std::string_view text);

// The text as a finite number; FormatError on the line, naming `what`, when it is not one.
double requireNumber(std::string_view text, std::string_view what, int line);

}  // namespace topology
