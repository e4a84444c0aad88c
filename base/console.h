// The console the menus talk through: buffered output, keys, numbers and words.
#pragma once

#include <cstdint>
#include <string>

#include "base/key_source.h"
#include "base/output.h"

namespace base {

class Console : public Output, public KeySource {
 public:
  // Every read below, as every key read, flushes the output first.
  virtual void clearScreen() = 0;
  // scanf "%i": on anything but a number `value` keeps its old content; returns whether
  // a value was stored.
  virtual bool readNumber(std::int32_t& value) = 0;
  // scanf "%s": a run of non-blank characters.
  virtual bool readWord(std::string& word) = 0;
};

}  // namespace base
