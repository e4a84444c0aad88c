// Numbers and words read from typed lines the way scanf reads them from a line-buffered
// stream: what follows a value on its line stays pending for the next read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace base {

// Parses scanf's "%i" at the start of `text` (leading white space skipped; decimal, octal
// after 0, hexadecimal after 0x; optional sign; saturating at the 32-bit limits).
// Returns the number of characters consumed, 0 when no number starts there.
std::size_t parseScanfInt(std::string_view text, std::int32_t& value);

class LineInput {
 public:
  // `nextLine` fills its argument with the next line (without its line end) and returns
  // false at the end of the input.
  explicit LineInput(std::function<bool(std::string&)> nextLine);

  bool readNumber(std::int32_t& value);
  bool readWord(std::string& word);
  // Drops the rest of the line last read; lines not read yet are kept.
  void discard() { pending_.clear(); }

 private:
  // Makes sure the pending text holds more than blanks; false at the end of the input.
  bool fillPending();

  std::function<bool(std::string&)> nextLine_;
  std::string pending_;
};

}  // namespace base
