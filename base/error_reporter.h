// The one place where failures are told to the user: by code, then a key wait.
#pragma once

#include "base/console.h"
#include "base/key_source.h"
#include "base/output.h"

namespace base {

class ErrorReporter {
 public:
  // Both must outlive the reporter. Without keys, nobody is waited for.
  ErrorReporter(Output& output, KeySource* keys) : output_(output), keys_(keys) {}
  explicit ErrorReporter(Console& console) : ErrorReporter(console, &console) {}

  // Prints the code's message line (when it has one) and "\nerr:<code> pulsar tecla",
  // then waits for a key without discarding pending input. Returns the key, or Enter
  // when there is nobody to ask.
  int reportError(int code);

  // Where the reports are written.
  Output& output() { return output_; }

 private:
  Output& output_;
  KeySource* keys_;
};

}  // namespace base
