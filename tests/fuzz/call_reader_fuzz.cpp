// libFuzzer target: any call file reads line by line as a C line read would, without fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/input_file.h"
#include "calls/call_lines.h"
#include "calls/call_source.h"

namespace {

constexpr std::size_t kLineLimit = 99;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The value strtol gives the field, taken to the nearest 32-bit limit.
std::int32_t expectedValue(std::string_view field) {
  const std::string text(field);
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

// An independent model of one read from `position`: the piece read, whether the read met
// the end of the file, and the two fields.
struct ExpectedRead {
  std::size_t length = 0;
  bool ok = false;
  calls::CallLine line;
};

ExpectedRead model(std::string_view data, std::size_t position) {
  ExpectedRead read;
  const std::string_view rest = data.substr(position);
  const std::size_t newline = rest.substr(0, kLineLimit).find('\n');
  if (newline != std::string_view::npos) {
    read.length = newline + 1;
    read.ok = true;
  } else {
    read.length = std::min(rest.size(), kLineLimit);
    read.ok = read.length == kLineLimit;
  }
  std::string_view piece =
      rest.substr(0, newline == std::string_view::npos ? read.length : newline);
  std::string fields[2];
  int current = 0;
  for (char c : piece) {
    if (c == '\t') {
      current = 1;
    } else {
      fields[current] += c;
    }
  }
  read.line.first = expectedValue(fields[0]);
  read.line.second = expectedValue(fields[1]);
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  base::MemoryFileSystem files;
  files.add("llamadas", std::string(content));
  calls::CallSource source;
  std::unique_ptr<base::InputFile> file = files.open("llamadas");
  check(file != nullptr);
  source.lines = std::make_unique<calls::FileCallLines>(std::move(file));

  std::size_t position = 0;
  for (;;) {
    const ExpectedRead expected = model(content, position);
    calls::CallLine line{-7, -7};
    const bool ok = calls::readCallLine(source, line);
    check(ok == expected.ok);
    // The pair is of no use after a failed read, so only a good one is compared.
    if (!ok) break;
    check(line.first == expected.line.first && line.second == expected.line.second);
    position += expected.length;
    check(position <= size);
  }
  // The end stays the end.
  calls::CallLine line;
  check(!calls::readCallLine(source, line));
  check(!calls::readCallLine(source, line));
  return 0;
}
