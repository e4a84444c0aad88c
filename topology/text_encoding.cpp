#include "topology/text_encoding.h"

#include <charconv>
#include <cstdint>

namespace topology {

namespace {

// Length of the valid UTF-8 sequence at `position`, 0 when there is none.
std::size_t sequenceLength(std::string_view bytes, std::size_t position) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(position);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (position + length > bytes.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(position + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(position + i) & 0x3F);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not valid.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

bool isUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = sequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void appendCodePoint(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character a reference's body ("#233", "#xE9", "amp") stands for; 0 for none.
std::uint32_t referencedCharacter(std::string_view body) {
  if (body == "amp") return '&';
  if (body == "lt") return '<';
  if (body == "gt") return '>';
  if (body == "quot") return '"';
  if (body == "apos") return '\'';
  if (body.size() < 2 || body[0] != '#') return 0;
  int base = 10;
  body.remove_prefix(1);
  if (body[0] == 'x' || body[0] == 'X') {
    base = 16;
    body.remove_prefix(1);
  }
  std::uint32_t code = 0;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), code, base);
  if (body.empty() || error != std::errc() || end != body.data() + body.size()) return 0;
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return code;
}

}  // namespace

std::string toUtf8(std::string_view bytes) {
  if (isUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) appendCodePoint(out, static_cast<unsigned char>(c));
  return out;
}

std::string decodeEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t amp = text.find('&', position);
    if (amp == std::string_view::npos) break;
    out.append(text.substr(position, amp - position));
    const std::size_t semicolon = text.find(';', amp);
    // References are short; a far ';' belongs to other text.
    const std::uint32_t code = semicolon == std::string_view::npos || semicolon - amp > 10
                                   ? 0
                                   : referencedCharacter(text.substr(amp + 1, semicolon - amp - 1));
    if (code == 0) {
      out += '&';
      position = amp + 1;
    } else {
      appendCodePoint(out, code);
      position = semicolon + 1;
    }
  }
  out.append(text.substr(position));
  return out;
}

}  // namespace topology
