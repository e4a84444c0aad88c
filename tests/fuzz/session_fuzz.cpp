// libFuzzer target: a whole scripted session over in-memory files must end normally.
//
// Input framing: sections separated by lines holding exactly "===":
//   script === topology === call file === call file
// The topology is the file "t.con" (typed as "t"), the call files are "a" and "b". A
// missing section means a missing file. The script is replayed as the program replays
// standard input.
//
// Every input must take a millisecond or two under the sanitizers, or a campaign explores
// little, so the harness bounds what an input may ask: the searches stop at far smaller
// limits than the program's, a number typed at the wavelength or path count prompt is
// taken down to a small bound, and only the head of each section is used (script lines,
// topology bytes, call lines). Runs follow their events, so any gap or duration is fine.
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

constexpr std::string_view kSeparator = "\n===\n";

// Enough for two visits to EJECUTAR with a few sources and runs each.
constexpr std::size_t kMaxScriptLines = 64;
// NSFNET's matrix with its comment line.
constexpr std::size_t kMaxTopologyBytes = 640;
// Enough calls to block with a handful of wavelengths.
constexpr std::size_t kMaxCallLines = 16;

// The prompts whose answers size the work of a run, and the most each may give.
struct Bound {
  std::string_view prompt;
  std::int32_t most;
};
constexpr Bound kBounds[] = {
    {"Numero de lamdas (por defecto 20): ", 8},
    {"Numero CAMINOS (por defecto 4): ", 4},
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Keeps only the end of the output, enough to see the last prompt and the final line.
class FuzzConsole : public base::ScriptConsole {
 public:
  explicit FuzzConsole(std::istream& in) : base::ScriptConsole(in, unused_, false) {}
  ~FuzzConsole() override { flush(); }

  bool readNumber(std::int32_t& value) override {
    flush();
    const bool stored = base::ScriptConsole::readNumber(value);
    if (!stored) return false;
    for (const Bound& bound : kBounds) {
      if (endsWith(tail_, bound.prompt)) value = std::min(value, bound.most);
    }
    return true;
  }

  const std::string& tail() {
    flush();
    return tail_;
  }

 protected:
  bool emit(std::string_view bytes) override {
    if (bytes.size() >= kKept) {
      tail_.assign(bytes.substr(bytes.size() - kKept));
    } else {
      tail_.append(bytes);
      if (tail_.size() > 2 * kKept) tail_.erase(0, tail_.size() - kKept);
    }
    return true;
  }

 private:
  static constexpr std::size_t kKept = 64;

  std::ostringstream unused_;
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

// The first `lines` lines of the text (the last one may lack its newline).
std::string_view headLines(std::string_view text, std::size_t lines) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < lines && end < text.size(); ++i) {
    const std::size_t newline = text.find('\n', end);
    if (newline == std::string_view::npos) return text;
    end = newline + 1;
  }
  return text.substr(0, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> sections =
      splitSections(std::string_view(reinterpret_cast<const char*>(data), size));
  base::MemoryFileSystem files;
  if (sections.size() > 1)
    files.add("t.con", std::string(sections[1].substr(0, kMaxTopologyBytes)));
  if (sections.size() > 2) files.add("a", std::string(headLines(sections[2], kMaxCallLines)));
  if (sections.size() > 3) files.add("b", std::string(headLines(sections[3], kMaxCallLines)));
  std::istringstream script{std::string(headLines(sections[0], kMaxScriptLines))};
  FuzzConsole console(script);
  shell::ProgramOptions options;
  options.searchLimits.maxPasses = 64;
  options.searchLimits.maxWorkingList = 512;
  options.searchLimits.maxAccepted = 32;
  options.searchLimits.maxSteps = 8'000;
  const int status = shell::runProgram(console, files, options);
  check(status == 0 || status == 1);
  const std::string& tail = console.tail();
  check(endsWith(tail, "END!!!"));
  return 0;
}
