// Where a call source's lines come from: a call file read line by line, or lines made as
// they are asked for. A run reads them once, in order; lines that can be read a second time
// let it hold only the calls it needs at each moment.
#pragma once

#include <cstdint>
#include <memory>

#include "base/input_file.h"

namespace calls {

// The two fields of one call-file line.
struct CallLine {
  std::int32_t first = 0;
  std::int32_t second = 0;
  bool operator==(const CallLine&) const = default;
};

class CallLines {
 public:
  virtual ~CallLines() = default;
  // The next line; false at the end, and from then on.
  virtual bool next(CallLine& line) = 0;
  // A reader of the same lines from this one's position on, independent of it; none when
  // the lines can be read only once. Lines that can be read again must hold gaps and
  // durations of 0 or more.
  virtual std::unique_ptr<CallLines> copy() const { return nullptr; }
  // Makes this reader, a copy of the same lines as `leader` (made by copy() from it or
  // from another copy), read from `leader`'s position on, without allocating. False,
  // changing nothing, when the lines cannot be followed so.
  virtual bool follow(const CallLines& leader) {
    (void)leader;
    return false;
  }
};

// The lines of a call file as the console reads them: at most 99 characters a read (a
// longer line is read in pieces), fields split at every tab, each field's leading decimal
// number; a last line without its newline, or a read that meets the end, gives no line.
class FileCallLines final : public CallLines {
 public:
  explicit FileCallLines(std::unique_ptr<base::InputFile> file) : file_(std::move(file)) {}
  bool next(CallLine& line) override;
  // Gives the file back.
  std::unique_ptr<base::InputFile> release() { return std::move(file_); }

 private:
  std::unique_ptr<base::InputFile> file_;
};

}  // namespace calls
