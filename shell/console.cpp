#include "shell/console.h"

#include <charconv>
#include <new>

namespace shell {

namespace {
constexpr std::size_t kFlushThreshold = 1 << 16;
}

Console::Console() {
  // Reserved once, so that writing never allocates: output must not fail where a failed
  // allocation is being reported. Without the room, output goes out unbuffered.
  try {
    buffer_.reserve(kFlushThreshold);
  } catch (const std::bad_alloc&) {
  }
}

void Console::write(std::string_view text) {
  if (buffer_.size() + text.size() > buffer_.capacity()) flush();
  if (text.size() > buffer_.capacity()) {
    emit(text);
    return;
  }
  buffer_.append(text);
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
