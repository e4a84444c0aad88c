// Buffered output: everything the program prints goes through one of these.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace base {

class Output {
  static constexpr std::size_t kFlushThreshold = 1 << 16;

 public:
  virtual ~Output() = default;
  Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Bytes are kept until flush() or until the buffer fills; writing allocates nothing.
  // Inlined with a literal, the copy is a few moves rather than a call, so it is always
  // inlined: the trace writes a few bytes at a time, millions of times a run.
  [[gnu::always_inline]] void write(std::string_view text) {
    if (text.empty()) return;
    if (text.size() > capacity_ - size_) return writeSlow(text);
    std::memcpy(buffer_.get() + size_, text.data(), text.size());
    size_ += text.size();
  }
  // The value in decimal, as printf "%lld" writes it.
  [[gnu::always_inline]] void writeInt(std::int64_t value) {
    // Node numbers and wavelengths, most of what a trace holds, take the short way.
    if (value >= 0 && value < 100 && capacity_ - size_ >= 2) {
      const auto small = static_cast<unsigned>(value);
      if (small >= 10) buffer_[size_++] = static_cast<char>('0' + small / 10);
      buffer_[size_++] = static_cast<char>('0' + small % 10);
      return;
    }
    writeAnyInt(value);
  }
  // Hands every kept byte to emit(), in order. Once a hand-over has failed, bytes are
  // dropped from then on.
  void flush();

  // True when every byte written is dropped unread, so that writers may leave out the work
  // of making them.
  virtual bool discards() const { return false; }

  // True once bytes could not be written; writeError() then tells the system's reason
  // (an errno value).
  bool writeFailed() const { return writeError_ != 0; }
  int writeError() const { return writeError_; }

 protected:
  // Writes all the bytes; false, with errno telling why, when they could not be.
  virtual bool emit(std::string_view bytes) = 0;

 private:
  void writeSlow(std::string_view text);
  void writeAnyInt(std::int64_t value);
  void handOver(std::string_view bytes);

  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  int writeError_ = 0;
};

}  // namespace base
