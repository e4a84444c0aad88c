#include "shell/console.h"

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
  // Trace numbers are written by the million: digits by hand, no formatting machinery.
  char digits[24];
  char* end = digits + sizeof digits;
  char* begin = end;
  auto magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--begin = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--begin = '-';
  write(std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

void Console::flush() {
  if (buffer_.empty()) return;
  emit(buffer_);
  buffer_.clear();
}

}  // namespace shell
