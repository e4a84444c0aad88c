#include "base/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

constexpr std::size_t kPiece = std::size_t{1} << 16;

// Up to `size` bytes of the descriptor from `offset` on appended to `content`, fewer only at
// its end; false with errno set when they cannot be read.
bool readPiece(int descriptor, std::uint64_t offset, std::size_t size, std::string& content) {
  char chunk[kPiece];
  while (size > 0) {
    const ssize_t n =
        ::pread(descriptor, chunk, std::min(size, sizeof chunk), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    content.append(chunk, static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The whole content of an open descriptor that cannot be read at an offset (a pipe, say);
// false with errno set when it cannot be read.
bool readAll(int descriptor, std::string& content) {
  char chunk[kPiece];
  for (;;) {
    const ssize_t n = ::read(descriptor, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    content.append(chunk, static_cast<std::size_t>(n));
  }
}

// A regular file read a piece at a time, each piece by opening the file again and closing
// it, so that no descriptor stays open and no file is held whole. What is read is the
// content at the moment its piece is read.
class DiskFile : public InputFile {
 public:
  DiskFile(std::string name, std::string first)
      : name_(std::move(name)), piece_(std::move(first)), last_(piece_.size() < kPiece) {}

  int getChar() override {
    if (position_ >= piece_.size() && !nextPiece()) {
      endSeen_ = true;
      return -1;
    }
    return static_cast<unsigned char>(piece_[position_++]);
  }

  std::size_t readLine(char* buffer, std::size_t limit) override {
    std::size_t count = 0;
    while (count < limit) {
      if (position_ >= piece_.size() && !nextPiece()) {
        endSeen_ = true;
        break;
      }
      const std::size_t span = std::min(limit - count, piece_.size() - position_);
      const char* start = piece_.data() + position_;
      const void* newline = std::memchr(start, '\n', span);
      const std::size_t taken =
          newline != nullptr
              ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1
              : span;
      std::memcpy(buffer + count, start, taken);
      position_ += taken;
      count += taken;
      if (newline != nullptr) break;
    }
    return count;
  }

  bool atEnd() override { return position_ >= piece_.size() && !nextPiece(); }

 private:
  // False at the end of the file. A file that can no longer be read ends there, said on
  // standard error: its calls stop short, and the user is told why.
  bool nextPiece() {
    if (last_) return false;
    const std::uint64_t offset = pieceStart_ + piece_.size();
    std::string piece;
    bool read = false;
    const int descriptor = ::open(name_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0) {
      try {
        piece.reserve(kPiece);
        read = readPiece(descriptor, offset, kPiece, piece);
      } catch (const std::bad_alloc&) {
        errno = ENOMEM;
      }
    }
    const int error = errno;
    if (descriptor >= 0) ::close(descriptor);
    if (!read) {
      std::fprintf(stderr, "wrnsim: %s: %s\n", name_.c_str(), std::strerror(error));
      last_ = true;
      return false;
    }
    pieceStart_ = offset;
    piece_ = std::move(piece);
    position_ = 0;
    last_ = piece_.size() < kPiece;
    return !piece_.empty();
  }

  std::string name_;
  std::string piece_;
  std::uint64_t pieceStart_ = 0;
  std::size_t position_ = 0;
  // No byte follows the piece held.
  bool last_;
};

}  // namespace

std::unique_ptr<InputFile> DiskFileSystem::open(const std::string& name) {
  // No descriptor stays open, however many files a session holds; a regular file's first
  // piece is read now, so that a file that cannot be read fails here.
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  std::string content;
  bool read = false;
  bool regular = false;
  try {
    struct stat info {};
    if (fstat(descriptor, &info) != 0) {
    } else if (S_ISDIR(info.st_mode)) {
      errno = EISDIR;
    } else if (S_ISREG(info.st_mode)) {
      regular = true;
      content.reserve(std::min(static_cast<std::size_t>(info.st_size), kPiece));
      read = readPiece(descriptor, 0, kPiece, content);
    } else {
      read = readAll(descriptor, content);
    }
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
  }
  const int error = errno;
  ::close(descriptor);
  if (!read) {
    errno = error;
    return nullptr;
  }
  if (regular) return std::make_unique<DiskFile>(name, std::move(content));
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
