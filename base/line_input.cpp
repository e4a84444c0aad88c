#include "base/line_input.h"

#include <cctype>
#include <limits>
#include <utility>

namespace base {

namespace {

bool isBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::size_t parseScanfInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '0') {
    base = 8;
    const bool hexPrefix = i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (hexPrefix && digitValue(text[i + 2]) < 16) {
      base = 16;
      i += 2;
    }
  }
  const std::size_t firstDigit = i;
  constexpr std::uint64_t kCap = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  while (i < text.size() && digitValue(text[i]) < base) {
    magnitude = magnitude * base + digitValue(text[i]);
    if (magnitude > kCap) magnitude = kCap;
    ++i;
  }
  if (i == firstDigit) return 0;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t signedValue =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (signedValue > kMax) signedValue = kMax;
  if (signedValue < kMin) signedValue = kMin;
  value = static_cast<std::int32_t>(signedValue);
  return i;
}

LineInput::LineInput(std::function<bool(std::string&)> nextLine) : nextLine_(std::move(nextLine)) {}

bool LineInput::fillPending() {
  std::size_t start = 0;
  while (start < pending_.size() && isBlank(pending_[start])) ++start;
  while (start == pending_.size()) {
    if (!nextLine_(pending_)) {
      pending_.clear();
      return false;
    }
    start = 0;
    while (start < pending_.size() && isBlank(pending_[start])) ++start;
  }
  pending_.erase(0, start);
  return true;
}

bool LineInput::readNumber(std::int32_t& value) {
  if (!fillPending()) return false;
  std::size_t used = parseScanfInt(pending_, value);
  pending_.erase(0, used);
  return used > 0;
}

bool LineInput::readWord(std::string& word) {
  if (!fillPending()) return false;
  std::size_t end = 0;
  while (end < pending_.size() && !isBlank(pending_[end])) ++end;
  word.assign(pending_, 0, end);
  pending_.erase(0, end);
  return true;
}

}  // namespace base
