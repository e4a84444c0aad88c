#include "network/topology_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "base/decimal_number.h"

namespace network {

namespace {

// Keeps the node count (last row plus one) within a NodeId.
constexpr std::int64_t kLastRow = std::numeric_limits<NodeId>::max() - 1;
constexpr NodeId kLastColumn = std::numeric_limits<NodeId>::max();

// A byte table, so that splitting a row costs one lookup per byte whatever the set's size.
class DelimiterSet {
 public:
  explicit DelimiterSet(std::string_view characters) {
    for (char c : characters) isDelimiter_[static_cast<unsigned char>(c)] = true;
  }

  std::size_t skipDelimiters(std::string_view text, std::size_t position) const {
    while (position < text.size() && contains(text[position])) ++position;
    return position;
  }

  std::size_t tokenEnd(std::string_view text, std::size_t position) const {
    while (position < text.size() && !contains(text[position])) ++position;
    return position;
  }

 private:
  bool contains(char c) const { return isDelimiter_[static_cast<unsigned char>(c)]; }
  std::array<bool, 256> isDelimiter_{};
};

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void addLink(LinkTable& table, NodeId from, NodeId to, std::int32_t regenerators, bool zeroEntry,
             base::ErrorReporter& reporter) {
  const std::ptrdiff_t reverse = table.positionOf(to, from);
  Link* link = createLink(table, from, to, reporter);
  if (link == nullptr) {
    const int code = zeroEntry ? (reverse < 0 ? 2101 : 2102) : (reverse < 0 ? 2103 : 2104);
    reporter.reportError(code);
    return;
  }
  link->regenerators = regenerators;
  if (reverse >= 0) table.shareCounters(table.size() - 1, static_cast<std::size_t>(reverse));
}

void readEntry(std::string_view token, NodeId row, NodeId column, LinkTable& table,
               base::ErrorReporter& reporter) {
  const std::int32_t number = base::leadingDecimal(token);
  if (trimBlanks(token) == "0") {
    addLink(table, row, column, 0, true, reporter);
  } else if (number != 0) {
    addLink(table, row, column, number, false, reporter);
  }
}

void readRow(std::string_view record, NodeId row, const DelimiterSet& delimiters, LinkTable& table,
             NodeList& nodes, base::ErrorReporter& reporter) {
  std::size_t position = delimiters.skipDelimiters(record, 0);
  if (position == record.size()) return;
  pushNode(nodes, row, reporter);
  for (NodeId column = 0; position < record.size(); ++column) {
    const std::size_t end = delimiters.tokenEnd(record, position);
    readEntry(record.substr(position, end - position), row, column, table, reporter);
    if (column == kLastColumn) break;
    position = delimiters.skipDelimiters(record, end);
  }
}

}  // namespace

int loadTopology(const std::string& topologyName, LinkTable& table, NodeList& nodes,
                 base::FileSystem& files, base::ErrorReporter& reporter) {
  std::unique_ptr<base::InputFile> file =
      base::openInputFile(files, reporter.output(), topologyName + ".con");
  if (!file) return -1;
  return readTopology(*file, table, nodes, reporter);
}

int readTopology(base::InputFile& file, LinkTable& table, NodeList& nodes,
                 base::ErrorReporter& reporter) {
  try {
    std::string record;
    if (!findTableSection(file, record)) return -1;
    const DelimiterSet delimiters(record);
    for (std::int64_t row = 0; row <= kLastRow && !atEndOfFile(file); ++row) {
      readRecord(file, '*', ';', record);
      readRow(record, static_cast<NodeId>(row), delimiters, table, nodes, reporter);
    }
  } catch (const std::bad_alloc&) {
    // A record too large to hold: the file is refused as a whole.
    freeLinks(table);
    freeNodes(nodes);
    return -1;
  }
  return nodes.empty() ? 0 : nodes.head() + 1;
}

bool atEndOfFile(base::InputFile& file) {
  return file.atEnd();
}

void readRecord(base::InputFile& file, char start, char end, std::string& buffer) {
  buffer.clear();
  const int startByte = static_cast<unsigned char>(start);
  const int endByte = static_cast<unsigned char>(end);
  bool inside = false;
  for (int c = file.getChar(); c != -1 && c != endByte; c = file.getChar()) {
    if (inside) {
      buffer.push_back(static_cast<char>(c));
    } else if (c == startByte) {
      inside = true;
    }
  }
}

std::string_view trimBlanks(std::string_view text) {
  if (text.empty()) return text;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return text.substr(0, 1);
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isSectionHeader(std::string_view record, std::string_view name, char separator) {
  if (record.empty()) return false;
  const std::size_t fieldStart = record.find_first_not_of(separator);
  if (fieldStart == std::string_view::npos) return false;
  record.remove_prefix(fieldStart);
  const std::string_view field = trimBlanks(record.substr(0, record.find(separator)));
  if (field.size() != name.size()) return false;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (upper(field[i]) != upper(name[i])) return false;
  }
  return true;
}

void keepAfter(std::string& text, char character) {
  const std::size_t found = text.find(character);
  text.erase(0, found == std::string::npos ? text.size() : found + 1);
}

bool findTableSection(base::InputFile& file, std::string& buffer) {
  do {
    if (atEndOfFile(file)) return false;
    readRecord(file, '*', ';', buffer);
  } while (!isSectionHeader(buffer, "tabla", ':'));
  keepAfter(buffer, ':');
  return true;
}

}  // namespace network
