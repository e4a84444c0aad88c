#include "shell/console.h"

#include <cstdint>
#include <new>

namespace shell {

Console::Console() {
  // Reserved once, so that writing never allocates: output must not fail where a failed
  // allocation is being reported. Without the room, output goes out unbuffered.
  try {
    buffer_.reserve(kFlushThreshold);
  } catch (const std::bad_alloc&) {
  }
}

void Console::writeSlow(std::string_view text) {
  flush();
  if (text.size() > buffer_.capacity()) {
    emit(text);
    return;
  }
  buffer_.append(text);
}

void Console::writeInt(std::int64_t value) {
  // Trace numbers are written by the million: two digits at a time from a table, in 32 bits
  // where they fit, no formatting machinery.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char digits[24];
  char* end = digits + sizeof digits;
  char* begin = end;
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  while (magnitude > 0xffffffffu) {
    *--begin = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  auto small = static_cast<std::uint32_t>(magnitude);
  while (small >= 100) {
    const std::uint32_t pair = (small % 100) * 2;
    small /= 100;
    *--begin = kPairs[pair + 1];
    *--begin = kPairs[pair];
  }
  if (small >= 10) {
    *--begin = kPairs[small * 2 + 1];
    *--begin = kPairs[small * 2];
  } else {
    *--begin = static_cast<char>('0' + small);
  }
  if (value < 0) *--begin = '-';
  write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

void Console::flush() {
  if (buffer_.empty()) return;
  emit(buffer_);
  buffer_.clear();
}

}  // namespace shell
