// Reads a topology file (a matrix of link entries) into a link table and a node list.
#pragma once

#include <string>
#include <string_view>

#include "base/error_reporter.h"
#include "base/input_file.h"
#include "network/link_table.h"
#include "network/node_list.h"

namespace network {

// Loads NAME.con into `table` and `nodes` (both empty on entry). Returns the node count
// (the highest row number with a token plus one, 0 when no row has one), or -1 when the
// file cannot be opened or holds no "tabla" header; after -1 nothing has been created.
// The file is closed before it returns.
int loadTopology(const std::string& topologyName, LinkTable& table, NodeList& nodes,
                 base::FileSystem& files, base::ErrorReporter& reporter);

// The same from an open file, read from its current position to its end.
int readTopology(base::InputFile& file, LinkTable& table, NodeList& nodes,
                 base::ErrorReporter& reporter);

// The lexer.

// True when no byte is left; the read position does not move.
bool atEndOfFile(base::InputFile& file);

// Skips to the first `start`, then stores every byte up to the next `end` (neither kept).
// An `end` met before any `start` gives an empty record; the end of the file closes an open
// record. Records of any length are kept whole, NUL bytes included.
void readRecord(base::InputFile& file, char start, char end, std::string& buffer);

// The text without spaces at both ends (tabs stay); a text of spaces only becomes one space.
std::string_view trimBlanks(std::string_view text);

// True when the record's first field (the text up to the first `separator`, leading
// separators skipped, spaces trimmed) equals `name`, ignoring ASCII case.
bool isSectionHeader(std::string_view record, std::string_view name, char separator);

// Replaces the text by what follows the first `character`, or by nothing without one.
void keepAfter(std::string& text, char character);

// Reads records up to the "tabla" header; the buffer then holds its delimiter set. False
// at the end of the file.
bool findTableSection(base::InputFile& file, std::string& buffer);

}  // namespace network
