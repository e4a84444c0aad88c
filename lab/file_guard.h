// The files one command reads and writes, gathered before it runs, so that no output can
// overwrite an input or another output, or hold another format than its name says.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lab {

// What the command writes into a file; each accepts the extensions of its own format and
// any extension that names no format the lab knows.
enum class FileFormat { kSvg, kCsv, kJson, kText, kCallFile, kJobs, kCon, kNodes, kPaths };

class FileGuard {
 public:
  // A file the command reads; `role` names it in messages ("--topology", "call file").
  // An empty path is skipped.
  void reads(const std::string& path, const std::string& role);

  // A file the command writes, in `format`. An empty path is skipped; `hint` is added to
  // the refusal of a wrong extension ("add --json").
  void writes(const std::string& path, const std::string& role, FileFormat format,
              const std::string& hint = {});

  // A folder the command writes files into, each named so that `names` is true of it; the
  // folder must exist.
  void writesInto(const std::string& folder, const std::string& role,
                  std::function<bool(const std::string& name)> names);

  // Throws UsageError naming both paths when an output is an input or another output (the
  // same file under any spelling, through links too, or a file the folder's names cover),
  // and naming the path when an output's extension says another format or it cannot be
  // written. Touches no file.
  void check() const;

 private:
  struct Entry {
    std::string path;
    std::string role;
    FileFormat format = FileFormat::kText;
    std::string hint;
  };
  struct Folder {
    std::string path;
    std::string role;
    std::function<bool(const std::string&)> names;
  };
  std::vector<Entry> inputs_;
  std::vector<Entry> outputs_;
  std::vector<Folder> folders_;
};

}  // namespace lab
