// The console a run without menus talks to: the trace goes to a stream or nowhere, and
// every key the run waits for is answered at once.
#pragma once

#include <ostream>
#include <string>

#include "base/console.h"

namespace lab {

class LabConsole : public base::Console {
 public:
  // Without a stream everything written is dropped.
  explicit LabConsole(std::ostream* trace = nullptr) : trace_(trace) {}
  ~LabConsole() override;

  void clearScreen() override {}
  // Enter: the key after the report and after any reported error.
  int readKey() override { return '\n'; }
  // Never: a candidate search is not to be aborted.
  bool keyWaiting() override { return false; }
  void discardPending() override {}
  bool readNumber(std::int32_t&) override { return false; }
  bool readWord(std::string&) override { return false; }

 protected:
  void emit(std::string_view bytes) override;

 private:
  std::ostream* trace_;
};

}  // namespace lab
