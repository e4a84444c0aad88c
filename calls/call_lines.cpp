#include "calls/call_lines.h"

#include <array>
#include <string_view>

#include "base/decimal_number.h"

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

}  // namespace

bool FileCallLines::next(CallLine& line) {
  if (!file_) return false;
  // One read as a C line read with a 100-byte buffer would make it.
  std::array<char, kLineLimit> read;
  std::size_t count = file_->readLine(read.data(), read.size());
  if (count > 0 && read[count - 1] == '\n') --count;
  Field fields[2];
  int current = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (read[i] == '\t') {
      current = 1;
    } else {
      fields[current].append(read[i]);
    }
  }
  line.first = base::leadingDecimal(fields[0].text());
  line.second = base::leadingDecimal(fields[1].text());
  return !file_->endSeen();
}

}  // namespace calls
