// libFuzzer target: a whole scripted session over in-memory files must end normally.
//
// Input framing: sections separated by lines holding exactly "===":
//   script === topology === call file === call file
// The topology is the file "t.con" (typed as "t"), the call files are "a" and "b". A
// missing section means a missing file. The script is replayed as the program replays
// standard input.
//
// Runs are bounded here where the program itself is not bounded yet: a call file with a
// gap or duration beyond +-kMaxTicks is skipped (huge values make a run step through
// billions of ticks), and a wavelength count typed above kMaxWavelengths is taken as that
// bound (every tick copies wavelength counters into the views).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "calls/call_source.h"
#include "shell/input_file.h"
#include "shell/program.h"
#include "shell/script_console.h"

namespace {

constexpr std::int32_t kMaxTicks = 100;
constexpr std::int32_t kMaxWavelengths = 64;
constexpr std::string_view kSeparator = "\n===\n";

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Keeps only the end of the output, enough to see the last prompt and the final line.
class FuzzConsole : public shell::ScriptConsole {
 public:
  explicit FuzzConsole(std::istream& in) : shell::ScriptConsole(in, sink_, false) {}
  ~FuzzConsole() override { flush(); }

  bool readNumber(std::int32_t& value) override {
    flush();
    const bool stored = shell::ScriptConsole::readNumber(value);
    if (stored && tail_.find("Numero de lamdas") != std::string::npos) {
      value = std::min(value, kMaxWavelengths);
    }
    return stored;
  }

  const std::string& tail() {
    flush();
    return tail_;
  }

 protected:
  void emit(std::string_view bytes) override {
    tail_.append(bytes);
    if (tail_.size() > 256) tail_.erase(0, tail_.size() - 128);
  }

 private:
  std::ostringstream sink_;
  std::string tail_;
};

std::vector<std::string_view> splitSections(std::string_view input) {
  std::vector<std::string_view> sections;
  for (;;) {
    const std::size_t separator = input.find(kSeparator);
    if (separator == std::string_view::npos || sections.size() == 3) break;
    sections.push_back(input.substr(0, separator + 1));
    input.remove_prefix(separator + kSeparator.size());
  }
  sections.push_back(input);
  return sections;
}

bool boundedCallFile(shell::MemoryFileSystem& files, const std::string& name) {
  calls::CallSource source;
  source.file = files.open(name);
  calls::CallLine line;
  while (calls::readCallLine(source, line)) {
    if (std::abs(std::int64_t{line.first}) > kMaxTicks ||
        std::abs(std::int64_t{line.second}) > kMaxTicks) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> sections =
      splitSections(std::string_view(reinterpret_cast<const char*>(data), size));
  shell::MemoryFileSystem files;
  const char* names[] = {"t.con", "a", "b"};
  for (std::size_t i = 1; i < sections.size(); ++i) {
    files.add(names[i - 1], std::string(sections[i]));
    if (i >= 2 && !boundedCallFile(files, names[i - 1])) return 0;
  }
  std::istringstream script{std::string(sections[0])};
  FuzzConsole console(script);
  const int status = shell::runProgram(console, files);
  check(status == 0 || status == 1);
  const std::string& tail = console.tail();
  check(tail.size() >= 6 && tail.compare(tail.size() - 6, 6, "END!!!") == 0);
  return 0;
}
