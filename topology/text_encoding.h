// Names as files spell them, made UTF-8: files of the field come in UTF-8 or Latin-1, and
// some write accents as HTML character references.
#pragma once

#include <string>
#include <string_view>

namespace topology {

// The bytes as they are when they are valid UTF-8; otherwise each byte read as Latin-1.
std::string toUtf8(std::string_view bytes);

// Replaces "&#NNN;", "&#xHH;", "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;" by the
// characters they stand for, in UTF-8; any other '&' stays as it is, as do references to
// no valid character (0, surrogates, beyond U+10FFFF).
std::string decodeEntities(std::string_view text);

}  // namespace topology
