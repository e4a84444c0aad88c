// Files on disk are read a piece at a time and still give what the whole file held, line
// by line, as a file held in memory does.
#include "base/input_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace base {
namespace {

class TempFile {
 public:
  explicit TempFile(const std::string& content)
      : path_(std::filesystem::temp_directory_path() /
              ("wrnsim_input_" + std::to_string(::getpid()) + "_" + std::to_string(next_++))) {
    std::ofstream(path_, std::ios::binary) << content;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::filesystem::remove(path_); }
  std::string path() const { return path_.string(); }

 private:
  static inline int next_ = 0;
  std::filesystem::path path_;
};

// Every read of the two files, as call sources make them, until both have met the end.
void expectSameReads(InputFile& disk, InputFile& memory) {
  for (int read = 0; !disk.endSeen() || !memory.endSeen(); ++read) {
    std::array<char, 99> a{};
    std::array<char, 99> b{};
    const std::size_t n = disk.readLine(a.data(), a.size());
    ASSERT_EQ(memory.readLine(b.data(), b.size()), n) << read;
    ASSERT_EQ(std::string(a.data(), n), std::string(b.data(), n)) << read;
    ASSERT_EQ(disk.endSeen(), memory.endSeen()) << read;
  }
}

// Disk files read lines their own way; both kinds must cut the same pieces.
TEST(InputFileLines, DiskAndMemoryFilesReadTheSamePieces) {
  const std::string content = "1\t2\n" + std::string(150, 'x') + "\n\nlast";
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("wrnsim_lines_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary) << content;
  MemoryFileSystem memory;
  memory.add("f", content);
  DiskFileSystem disk;
  auto fromDisk = disk.open(path.string());
  auto fromMemory = memory.open("f");
  ASSERT_NE(fromDisk, nullptr);
  std::vector<std::string> pieces;
  for (int read = 0; read < 7; ++read) {
    std::array<char, 99> a{};
    std::array<char, 99> b{};
    const std::size_t n = fromDisk->readLine(a.data(), a.size());
    ASSERT_EQ(fromMemory->readLine(b.data(), b.size()), n);
    ASSERT_EQ(std::string(a.data(), n), std::string(b.data(), n));
    ASSERT_EQ(fromDisk->endSeen(), fromMemory->endSeen());
    pieces.emplace_back(a.data(), n);
  }
  std::filesystem::remove(path);
  EXPECT_EQ(pieces, (std::vector<std::string>{"1\t2\n", std::string(99, 'x'),
                                              std::string(51, 'x') + "\n", "\n", "last", "", ""}));
  EXPECT_TRUE(fromDisk->endSeen());
}

TEST(InputFileLines, LargeFilesReadInPiecesGiveEveryLine) {
  // Lines of every length up to past the read limit, so that lines and reads straddle the
  // pieces' borders; and files ending exactly at a border, with and without a newline.
  std::string lines;
  for (int i = 0; lines.size() < 300'000; ++i) lines += std::string(i % 130, 'a' + i % 26) + "\n";
  const std::size_t piece = std::size_t{1} << 16;
  for (const std::string& content :
       {lines, lines + "tail", std::string(piece - 1, 'x') + "\n", std::string(2 * piece, 'y')}) {
    TempFile file(content);
    MemoryFileSystem memory;
    memory.add("f", content);
    DiskFileSystem disk;
    auto fromDisk = disk.open(file.path());
    ASSERT_NE(fromDisk, nullptr);
    expectSameReads(*fromDisk, *memory.open("f"));
    EXPECT_TRUE(fromDisk->atEnd());
  }
}

TEST(InputFileLines, AFileGoneBeforeItsNextPieceEndsThereAndSaysWhy) {
  const std::string content(200'000, 'z');
  auto file = std::make_unique<TempFile>(content);
  DiskFileSystem disk;
  auto fromDisk = disk.open(file->path());
  ASSERT_NE(fromDisk, nullptr);
  file.reset();
  testing::internal::CaptureStderr();
  std::size_t read = 0;
  std::array<char, 99> buffer{};
  while (!fromDisk->endSeen()) read += fromDisk->readLine(buffer.data(), buffer.size());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(read, std::size_t{1} << 16);
  EXPECT_NE(said.find("No such file or directory"), std::string::npos) << said;
}

}  // namespace
}  // namespace base
