// libFuzzer target: a whole scripted session over in-memory files must end normally.
//
// Input framing: sections separated by lines holding exactly "===":
//   script === topology === call file === call file
// The topology is the file "t.con" (typed as "t"), the call files are "a" and "b". A
// missing section means a missing file. The script is replayed as the program replays
// standard input.
//
// Runs follow their events, so any gap or duration is fine. Two bounds keep every input
// to moments under the sanitizers: the searches stop at much smaller limits than the
// program's (which allow a few tenths of a second each), and a wavelength count typed
// above kMaxWavelengths is taken as that bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/input_file.h"
#include "base/script_console.h"
#include "shell/program.h"

namespace {

constexpr std::int32_t kMaxWavelengths = 64;
constexpr std::string_view kSeparator = "\n===\n";

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// Keeps only the end of the output, enough to see the last prompt and the final line.
class FuzzConsole : public base::ScriptConsole {
 public:
  explicit FuzzConsole(std::istream& in) : base::ScriptConsole(in, sink_, false) {}
  ~FuzzConsole() override { flush(); }

  bool readNumber(std::int32_t& value) override {
    flush();
    const bool stored = base::ScriptConsole::readNumber(value);
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
  bool emit(std::string_view bytes) override {
    tail_.append(bytes);
    if (tail_.size() > 256) tail_.erase(0, tail_.size() - 128);
    return true;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> sections =
      splitSections(std::string_view(reinterpret_cast<const char*>(data), size));
  base::MemoryFileSystem files;
  const char* names[] = {"t.con", "a", "b"};
  for (std::size_t i = 1; i < sections.size(); ++i) {
    files.add(names[i - 1], std::string(sections[i]));
  }
  std::istringstream script{std::string(sections[0])};
  FuzzConsole console(script);
  shell::ProgramOptions options;
  options.searchLimits.maxPasses = 2'000;
  options.searchLimits.maxWorkingList = 20'000;
  options.searchLimits.maxAccepted = 1'000;
  options.searchLimits.maxSteps = 200'000;
  const int status = shell::runProgram(console, files, options);
  check(status == 0 || status == 1);
  const std::string& tail = console.tail();
  check(tail.size() >= 6 && tail.compare(tail.size() - 6, 6, "END!!!") == 0);
  return 0;
}
