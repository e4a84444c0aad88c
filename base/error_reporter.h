// The one place where failures are told to the user: by code, then a key wait.
#pragma once

#include "base/console.h"

namespace base {

class ErrorReporter {
 public:
  explicit ErrorReporter(Console& console) : console_(console) {}

  // Prints the code's message line (when it has one) and "\nerr:<code> pulsar tecla",
  // then waits for a key without discarding pending input. Returns the key.
  int reportError(int code);

  Console& console() { return console_; }

 private:
  Console& console_;
};

}  // namespace base
