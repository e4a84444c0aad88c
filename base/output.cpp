// Buffered output: the one buffer every byte the program prints goes through.

#include "base/output.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <new>

namespace base {

Output::Output() {
  // Reserved once, so that writing never allocates: output must not fail where a failed
  // allocation is being reported. Without the room, output goes out unbuffered.
  try {
    buffer_ = std::make_unique_for_overwrite<char[]>(kFlushThreshold);
    capacity_ = kFlushThreshold;
  } catch (const std::bad_alloc&) {
  }
}

void Output::writeSlow(std::string_view text) {
  flush();
  if (text.size() > capacity_) {
    handOver(text);
    return;
  }
  std::memcpy(buffer_.get(), text.data(), text.size());
  size_ = text.size();
}

namespace {

// Decimal digits of a value, from its bit width: no division.
unsigned digitCount(std::uint64_t value) {
  static constexpr std::uint64_t kPowers[] = {1ULL,
                                              10ULL,
                                              100ULL,
                                              1000ULL,
                                              10000ULL,
                                              100000ULL,
                                              1000000ULL,
                                              10000000ULL,
                                              100000000ULL,
                                              1000000000ULL,
                                              10000000000ULL,
                                              100000000000ULL,
                                              1000000000000ULL,
                                              10000000000000ULL,
                                              100000000000000ULL,
                                              1000000000000000ULL,
                                              10000000000000000ULL,
                                              100000000000000000ULL,
                                              1000000000000000000ULL,
                                              10000000000000000000ULL};
  if (value == 0) return 1;
  const unsigned guess = static_cast<unsigned>(std::bit_width(value)) * 1233 >> 12;
  return guess + (value >= kPowers[guess] ? 1 : 0);
}

}  // namespace

void Output::writeAnyInt(std::int64_t value) {
  // Trace numbers are written by the million: two digits at a time from a table, in 32 bits
  // where they fit, straight into the buffer, no formatting machinery.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  constexpr std::size_t kMost = 20;
  char spare[kMost];
  const bool roomy = capacity_ - size_ >= kMost;
  char* const out = roomy ? buffer_.get() + size_ : spare;
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::size_t length = digitCount(magnitude) + (value < 0 ? 1 : 0);
  char* begin = out + length;
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
  if (!roomy) return write(std::string_view(spare, length));
  size_ += length;
}

void Output::flush() {
  if (size_ == 0) return;
  const std::string_view bytes(buffer_.get(), size_);
  size_ = 0;
  handOver(bytes);
}

void Output::handOver(std::string_view bytes) {
  if (writeFailed()) return;
  errno = 0;
  if (!emit(bytes)) writeError_ = errno != 0 ? errno : EIO;
}

}  // namespace base
