#include "shell/console.h"

#include <charconv>

namespace shell {

namespace {
constexpr std::size_t kFlushThreshold = 1 << 16;
}

void Console::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kFlushThreshold) flush();
}

void Console::writeInt(std::int64_t value) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  (void)ec;
  write(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void Console::flush() {
  if (buffer_.empty()) return;
  emit(buffer_);
  buffer_.clear();
}

}  // namespace shell
