#include "base/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

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

class MemoryFile : public InputFile {
 public:
  explicit MemoryFile(std::string content) : content_(std::move(content)) {}

  int getChar() override {
    if (position_ >= content_.size()) {
      endSeen_ = true;
      return -1;
    }
    return static_cast<unsigned char>(content_[position_++]);
  }

  // As the loop over getChar() would: up to a newline, the limit or the end, which is
  // seen only when a read meets it.
  std::size_t readLine(char* buffer, std::size_t limit) override {
    const std::size_t available = content_.size() - position_;
    const std::size_t span = std::min(limit, available);
    const char* start = content_.data() + position_;
    const void* newline = std::memchr(start, '\n', span);
    const std::size_t count =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1
                           : span;
    std::memcpy(buffer, start, count);
    position_ += count;
    if (newline == nullptr && available < limit) endSeen_ = true;
    return count;
  }

  bool atEnd() override { return position_ >= content_.size(); }

 private:
  std::string content_;
  std::size_t position_ = 0;
};

// The whole content of an open descriptor; false with errno set when it cannot be read.
bool readAll(int descriptor, std::string& content) {
  struct stat info {};
  if (fstat(descriptor, &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (S_ISREG(info.st_mode)) content.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(descriptor, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    content.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace

std::unique_ptr<InputFile> DiskFileSystem::open(const std::string& name) {
  // Read whole at once: no descriptor stays open, however many files a session holds.
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  std::string content;
  bool read = false;
  try {
    read = readAll(descriptor, content);
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
  }
  const int error = errno;
  ::close(descriptor);
  if (!read) {
    errno = error;
    return nullptr;
  }
  return std::make_unique<MemoryFile>(std::move(content));
}

std::unique_ptr<InputFile> MemoryFileSystem::open(const std::string& name) {
  auto found = files_.find(name);
  if (found == files_.end()) {
    errno = ENOENT;
    return nullptr;
  }
  return std::make_unique<MemoryFile>(found->second);
}

std::unique_ptr<InputFile> openInputFile(FileSystem& files, Output& console,
                                         const std::string& name) {
  std::unique_ptr<InputFile> file;
  errno = 0;
  try {
    file = files.open(name);
  } catch (const std::bad_alloc&) {
    // A file that cannot be held is a file that cannot be opened.
    errno = ENOMEM;
  }
  if (file) return file;
  const int error = errno;
  console.write("Dato introducido erroneo. File error.");
  // The console's text is the same for every cause; one other than a missing file is told.
  if (error != 0 && error != ENOENT) {
    std::fprintf(stderr, "wrnsim: %s: %s\n", name.c_str(), std::strerror(error));
  }
  return file;
}

}  // namespace base
