#include "lab/lab_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lab {

void throwUnreadable(const std::string& message) {
  const int error = errno;
  if (error == ENOENT) throw MissingFileError(message + std::strerror(error));
  throw UsageError(message + std::strerror(error));
}

std::string readFile(const std::string& path, const std::string& what) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw UsageError("the " + what + " '" + path + "' is a folder, not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throwUnreadable("cannot read " + what + " '" + path + "': ");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Standard output must have taken all that was written to it since errno was cleared; the
// system's reason otherwise.
void checkOut(LabIo& io) {
  io.out.flush();
  if (!io.out) {
    throw UsageError(std::string("cannot write standard output: ") +
                     std::strerror(errno != 0 ? errno : EIO));
  }
}

void writeOut(LabIo& io, const std::string& text) {
  errno = 0;
  io.out << text;
  checkOut(io);
}

// Says before any work is done whether the file can be written, without making it.
void checkWritable(const std::string& path) {
  if (path.empty()) return;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path file(path);
  if (fs::is_directory(file, error)) throw UsageError("cannot write '" + path + "': a folder");
  const bool exists = fs::exists(file, error);
  fs::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const std::string checked = exists ? path : folder.string();
  if (::access(checked.c_str(), W_OK) != 0) {
    throw UsageError("cannot write '" + path + "': " + std::strerror(errno));
  }
}

// Writes the whole text or nothing: a file left half written is removed.
void writeFile(const std::string& path, const std::string& text) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) throw UsageError("cannot write '" + path + "': " + std::strerror(errno));
  const bool written =
      std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0;
  const int error = errno;
  const bool closed = std::fclose(out) == 0;
  if (written && closed) return;
  std::error_code ignored;
  if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
  throw UsageError("cannot write '" + path + "': " + std::strerror(written ? errno : error));
}

}  // namespace lab
