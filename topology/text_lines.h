// The lines of a text file one at a time, numbered for messages.
#pragma once

#include <string_view>

namespace topology {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}

  // The next line without its line break ("\n" or "\r\n"); false at the end of the text. A
  // last line without a break counts; an empty text has no line.
  bool next(std::string_view& line) {
    if (start_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', start_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(start_, end - start_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start_ = end + 1;
    ++number_;
    return true;
  }

  // The 1-based number of the line next() gave last.
  int number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t start_ = 0;
  int number_ = 0;
};

}  // namespace topology
