#include "base/input_file.h"

#include <sys/stat.h>

#include <new>
#include <string_view>

namespace base {

std::size_t InputFile::readLine(char* buffer, std::size_t limit) {
  std::size_t count = 0;
  while (count < limit) {
    const int c = getChar();
    if (c < 0) break;
    buffer[count++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  return count;
}

namespace {

class DiskFile : public InputFile {
 public:
  explicit DiskFile(std::FILE* file) : file_(file) {}
  ~DiskFile() override { std::fclose(file_); }
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  int getChar() override {
    int c = std::getc(file_);
    if (c == EOF) endSeen_ = true;
    return c == EOF ? -1 : c;
  }

  // The file belongs to this object alone, so the stream needs no lock per byte.
  std::size_t readLine(char* buffer, std::size_t limit) override {
    std::size_t count = 0;
    while (count < limit) {
      const int c = getc_unlocked(file_);
      if (c == EOF) {
        endSeen_ = true;
        break;
      }
      buffer[count++] = static_cast<char>(c);
      if (c == '\n') break;
    }
    return count;
  }

  bool atEnd() override {
    int c = std::getc(file_);
    if (c == EOF) {
      std::clearerr(file_);
      return true;
    }
    std::ungetc(c, file_);
    return false;
  }

 private:
  std::FILE* file_;
};

class MemoryFile : public InputFile {
 public:
  explicit MemoryFile(std::string_view content) : content_(content) {}

  int getChar() override {
    if (position_ >= content_.size()) {
      endSeen_ = true;
      return -1;
    }
    return static_cast<unsigned char>(content_[position_++]);
  }

  bool atEnd() override { return position_ >= content_.size(); }

 private:
  std::string content_;
  std::size_t position_ = 0;
};

bool isDirectory(std::FILE* file) {
  struct stat info {};
  return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::unique_ptr<InputFile> DiskFileSystem::open(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  if (isDirectory(file)) {
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<DiskFile>(file);
}

std::unique_ptr<InputFile> MemoryFileSystem::open(const std::string& name) {
  auto found = files_.find(name);
  if (found == files_.end()) return nullptr;
  return std::make_unique<MemoryFile>(found->second);
}

std::unique_ptr<InputFile> openInputFile(FileSystem& files, Output& console,
                                         const std::string& name) {
  std::unique_ptr<InputFile> file;
  try {
    file = files.open(name);
  } catch (const std::bad_alloc&) {
    // A file that cannot be held open is a file that cannot be opened.
  }
  if (!file) console.write("Dato introducido erroneo. File error.");
  return file;
}

}  // namespace base
