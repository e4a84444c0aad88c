#include "calls/call_source.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_console.h"

namespace calls {
namespace {

using testing_support::TestConsole;

struct Read {
  bool used;
  std::int32_t first;
  std::int32_t second;
  bool operator==(const Read&) const = default;
};

class CallFileTest : public ::testing::Test {
 protected:
  CallSource& sourceOf(std::string content) {
    files.add("calls.txt", std::move(content));
    auto file = files.open("calls.txt");
    return *addCallSource(sources, file, 0, 2, console);
  }
  // Every read until one meets the end of the file, that one included.
  std::vector<Read> readAll(std::string content) {
    CallSource& source = sourceOf(std::move(content));
    std::vector<Read> reads;
    CallLine line;
    for (bool used = true; used;) {
      used = readCallLine(source, line);
      reads.push_back({used, line.first, line.second});
    }
    return reads;
  }
  std::vector<Read> usedReads(std::string content) {
    std::vector<Read> reads = readAll(std::move(content));
    reads.pop_back();
    return reads;
  }

  TestConsole console;
  base::MemoryFileSystem files;
  CallSources sources;
};

TEST_F(CallFileTest, EmptyFileAndUnterminatedLastLineGiveNoCall) {
  EXPECT_TRUE(usedReads("").empty());
  EXPECT_EQ(usedReads("4\t7\n5\t9"), (std::vector<Read>{{true, 4, 7}}));
  EXPECT_EQ(usedReads("3\t1\n"), (std::vector<Read>{{true, 3, 1}}));
}

TEST_F(CallFileTest, ReadsAfterTheEndStayFalse) {
  CallSource& source = sourceOf("1\t2\n");
  CallLine line;
  EXPECT_TRUE(readCallLine(source, line));
  EXPECT_FALSE(readCallLine(source, line));
  EXPECT_FALSE(readCallLine(source, line));
}

TEST_F(CallFileTest, FieldsSplitAtEveryTab) {
  EXPECT_EQ(
      usedReads("12\n\t5\n\n1\t2\t3\n3 7\n"),
      (std::vector<Read>{{true, 12, 0}, {true, 0, 5}, {true, 0, 0}, {true, 1, 23}, {true, 3, 0}}));
}

TEST_F(CallFileTest, ConversionSkipsBlanksStopsAtTextAndSaturates) {
  EXPECT_EQ(usedReads("2\t6\r\n -3\t+4x9\nab\t7\n"
                      "99999999999\t-99999999999\n2147483647\t-2147483648\n"),
            (std::vector<Read>{{true, 2, 6},
                               {true, -3, 4},
                               {true, 0, 7},
                               {true, 2147483647, -2147483648},
                               {true, 2147483647, -2147483648}}));
}

TEST_F(CallFileTest, LongLineIsReadInPiecesOf99Characters) {
  // 150 characters: 97 digits of a first field, a TAB, 52 more characters.
  const std::string line = "7" + std::string(96, '0') + "\t" + std::string(50, '1') + "\t5\n";
  ASSERT_EQ(line.size(), 151u);
  std::vector<Read> reads = usedReads(line + "1\t1\n");
  ASSERT_EQ(reads.size(), 3u);
  // The first read ends after the TAB and one '1' of the second field.
  EXPECT_EQ(reads[0], (Read{true, 2147483647, 1}));
  // The rest is a line of its own: 49 ones, a TAB, 5.
  EXPECT_EQ(reads[1], (Read{true, 2147483647, 5}));
  EXPECT_EQ(reads[2], (Read{true, 1, 1}));
}

TEST_F(CallFileTest, NewlineAfter99CharactersIsAnEmptyLine) {
  const std::string line = std::string(98, '0') + "8\n";
  EXPECT_EQ(usedReads(line), (std::vector<Read>{{true, 8, 0}, {true, 0, 0}}));
  const std::string fits = std::string(97, '0') + "8\n";
  EXPECT_EQ(usedReads(fits), (std::vector<Read>{{true, 8, 0}}));
}

TEST(AddCallSource, RefusesMissingFileOrNodeAndLeavesTheFileWithTheCaller) {
  TestConsole console;
  base::MemoryFileSystem files;
  files.add("f", "1\t1\n");
  CallSources sources;
  auto file = files.open("f");
  EXPECT_EQ(addCallSource(sources, file, -1, 2, console), nullptr);
  EXPECT_EQ(addCallSource(sources, file, 0, -1, console), nullptr);
  std::unique_ptr<base::InputFile> none;
  EXPECT_EQ(addCallSource(sources, none, 0, 2, console), nullptr);
  EXPECT_EQ(console.takeOutput(), "error 510error 510error 510");
  EXPECT_TRUE(sources.empty());
  ASSERT_NE(file, nullptr);

  CallSource* first = addCallSource(sources, file, -2, 3, console);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(first->origin, -2);
  EXPECT_EQ(first->destination, 3);
  EXPECT_TRUE(first->calls.empty());
  EXPECT_TRUE(first->paths.empty());

  auto other = files.open("f");
  CallSource* second = addCallSource(sources, other, 1, 0, console);
  EXPECT_EQ(&sources.front(), first);
  EXPECT_EQ(&sources.back(), second);
  EXPECT_EQ(console.output(), "");
}

TEST(FreeCallSources, EmptiesTheList) {
  TestConsole console;
  base::ErrorReporter reporter(console);
  base::MemoryFileSystem files;
  files.add("f", "");
  CallSources sources;
  auto file = files.open("f");
  CallSource* source = addCallSource(sources, file, 0, 1, console);
  pushCall(source->calls, 0, 1, reporter);
  source->paths.push_back({-1, {0, 1}});
  freeCallSources(sources);
  EXPECT_TRUE(sources.empty());
}

}  // namespace
}  // namespace calls
