// What the fuzz targets give the readers for a console: error reports get an Enter key at
// once and output is dropped; and a check that stops the run where libFuzzer sees it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/console.h"

namespace fuzzing {

class QuietConsole : public base::Console {
 public:
  void clearScreen() override {}
  int readKey() override { return '\r'; }
  bool keyWaiting() override { return false; }
  void discardPending() override {}
  bool readNumber(std::int32_t&) override { return false; }
  bool readWord(std::string&) override { return false; }

 protected:
  bool emit(std::string_view) override { return true; }
};

inline void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace fuzzing
