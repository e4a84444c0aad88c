// The console the whole program talks through: buffered output, keys, numbers and words.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

inline constexpr int kEscapeKey = 27;

// Thrown by a key read that meets the end of the input; the program then ends as if
// the user had chosen to leave.
struct EndOfInput : std::runtime_error {
  EndOfInput() : std::runtime_error("end of input") {}
};

class Console {
  static constexpr std::size_t kFlushThreshold = 1 << 16;

 public:
  virtual ~Console() = default;
  Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Output is buffered; every read flushes it first. Writing allocates nothing.
  void write(std::string_view text) {
    if (text.empty()) return;
    if (text.size() > capacity_ - size_) return writeSlow(text);
    // Inlined with a literal, the copy is a few moves rather than a call.
    std::memcpy(buffer_.get() + size_, text.data(), text.size());
    size_ += text.size();
  }
  void writeInt(std::int64_t value) {
    // Node numbers and wavelengths, most of what a trace holds, take the short way.
    if (value >= 0 && value < 100 && capacity_ - size_ >= 2) {
      const auto small = static_cast<unsigned>(value);
      if (small >= 10) buffer_[size_++] = static_cast<char>('0' + small / 10);
      buffer_[size_++] = static_cast<char>('0' + small % 10);
      return;
    }
    writeAnyInt(value);
  }
  void flush();

  virtual void clearScreen() = 0;
  // One key, without echo. Throws EndOfInput when the input is exhausted.
  virtual int readKey() = 0;
  virtual bool keyWaiting() = 0;
  virtual void discardPending() = 0;
  // scanf "%i": on anything but a number `value` keeps its old content; returns whether
  // a value was stored.
  virtual bool readNumber(std::int32_t& value) = 0;
  // scanf "%s": a run of non-blank characters.
  virtual bool readWord(std::string& word) = 0;

 protected:
  virtual void emit(std::string_view bytes) = 0;

 private:
  void writeSlow(std::string_view text);
  void writeAnyInt(std::int64_t value);

  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace base
