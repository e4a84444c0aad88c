// Call sources and the reading of call-file lines.
#include "calls/call_source.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string_view>

namespace calls {

namespace {

constexpr std::size_t kLineLimit = 99;

// A field of a line: the characters of a read are at most 99, so it cannot overflow.
class Field {
 public:
  void append(char c) { text_[length_++] = c; }
  std::string_view text() const { return {text_.data(), length_}; }

 private:
  std::array<char, kLineLimit> text_{};
  std::size_t length_ = 0;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Base 10 after leading white space and an optional sign, up to the first non-digit;
// 0 without digits; beyond the 32-bit range, the nearest limit.
std::int32_t toInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), -kMin);
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min(magnitude, kMax));
}

}  // namespace

CallSource* addCallSource(CallSources& list, std::unique_ptr<shell::InputFile>& file,
                          network::NodeId origin, network::NodeId destination,
                          shell::Console& console) {
  if (file && origin != network::kNoNode && destination != network::kNoNode) {
    try {
      CallSource& source = list.emplace_back();
      source.file = std::move(file);
      source.origin = origin;
      source.destination = destination;
      return &source;
    } catch (const std::bad_alloc&) {
    }
  }
  console.write("error 510");
  return nullptr;
}

bool readCallLine(CallSource& source, CallLine& line) {
  if (!source.file) return false;
  shell::InputFile& file = *source.file;
  Field fields[2];
  int current = 0;
  bool atNewline = false;
  // One read as a C line read with a 100-byte buffer would make it.
  for (std::size_t count = 0; count < kLineLimit && !atNewline; ++count) {
    const int c = file.getChar();
    if (c < 0) break;
    atNewline = c == '\n';
    if (atNewline) break;
    if (c == '\t') {
      current = 1;
    } else {
      fields[current].append(static_cast<char>(c));
    }
  }
  line.first = toInt32(fields[0].text());
  line.second = toInt32(fields[1].text());
  return !file.endSeen();
}

void freeCallSources(CallSources& list) {
  for (CallSource& source : list) {
    source.file.reset();
    freeCalls(source.calls);
    routing::freePathSet(source.paths);
  }
  list.clear();
}

}  // namespace calls
