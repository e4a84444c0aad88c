// Running wrnsim-lab command lines in a test, in a scratch directory of its own.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lab/lab_cli.h"

namespace lab_testing {

// A ring of five nodes in the console's format.
inline const std::string kRing =
    "Anillo\n*tabla: ;\n*- 0 - - 0;\n*0 - 0 - -;\n*- 0 - 0 -;\n*- - 0 - 0;\n*0 - - 0 -;\n";

struct Outcome {
  int status = 0;
  std::string out;
  std::string err;
};

// `errIsTerminal`: as if standard error were a terminal; `memory`: the machine's bytes that
// runs must fit in (0: unchecked).
inline Outcome runLab(std::vector<std::string> words, bool errIsTerminal = false,
                      std::uint64_t memory = 0) {
  words.insert(words.begin(), "wrnsim-lab");
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  std::ostringstream out, err;
  lab::LabIo io{out, err, errIsTerminal, {}, memory};
  Outcome outcome;
  outcome.status = lab::runLab(static_cast<int>(argv.size()), argv.data(), io);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

// A fresh directory, removed with everything in it at the end of the test.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              (name + "-" + std::to_string(std::hash<std::string>{}(name + __TIME__)))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
    return file(name);
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace lab_testing
