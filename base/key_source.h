// Where the program hears from a person: single keys, waiting or not.
#pragma once

#include <stdexcept>

namespace base {

inline constexpr int kEscapeKey = 27;

// Thrown by a key read that meets the end of the input; the program then ends as if
// the user had chosen to leave.
struct EndOfInput : std::runtime_error {
  EndOfInput() : std::runtime_error("end of input") {}
};

class KeySource {
 public:
  virtual ~KeySource() = default;
  // One key, without echo, once everything written before it has been shown. Throws
  // EndOfInput when the input is exhausted.
  virtual int readKey() = 0;
  // True when a key can be read without waiting.
  virtual bool keyWaiting() = 0;
  // Drops what was typed ahead and not yet read.
  virtual void discardPending() = 0;
};

}  // namespace base
