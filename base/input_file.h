// Read access to the system's input files, on disk or in memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "base/output.h"

namespace base {

// A file open for reading, byte by byte, in the manner of a C stream.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // The next byte, or -1 at the end (which then sets the end-of-file indicator).
  virtual int getChar() = 0;
  // True when no byte is left; the read position does not move.
  virtual bool atEnd() = 0;
  // Up to `limit` bytes into `buffer`, stopping after a newline, as a C line read takes
  // them: the number of bytes read. Meeting the end sets the end-of-file indicator.
  virtual std::size_t readLine(char* buffer, std::size_t limit);
  bool endSeen() const { return endSeen_; }

 protected:
  bool endSeen_ = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // None, with errno telling why, when the file cannot be opened for reading.
  virtual std::unique_ptr<InputFile> open(const std::string& name) = 0;
};

// Each file is read whole when opened, so that a session holds no descriptor open however
// many files it has opened; what is read is the content at that moment.
class DiskFileSystem : public FileSystem {
 public:
  std::unique_ptr<InputFile> open(const std::string& name) override;
};

// Files held as strings, for tests and fuzzing.
class MemoryFileSystem : public FileSystem {
 public:
  void add(const std::string& name, std::string content) { files_[name] = std::move(content); }
  std::unique_ptr<InputFile> open(const std::string& name) override;

 private:
  std::map<std::string, std::string> files_;
};

// Opens the named file; when it cannot, prints "Dato introducido erroneo. File error.",
// says the system's reason on standard error unless the file is simply missing, and
// returns none (the caller reports its own code).
std::unique_ptr<InputFile> openInputFile(FileSystem& files, Output& console,
                                         const std::string& name);

}  // namespace base
