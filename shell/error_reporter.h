// The one place where failures are told to the user: by code, then a key wait.
#pragma once

#include "shell/console.h"

namespace shell {

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

}  // namespace shell
